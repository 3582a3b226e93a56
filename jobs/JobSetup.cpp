#include "jobs/JobSetup.h"

namespace twick {

void SetUpDecodeJob(CDecodeJob& job, const Settings& settings, const std::string& source) {
  job.m_nAutoMode = settings.autoMode;
  job.m_nCodeFormat = settings.codeFormat;
  job.m_bUseDefName = settings.useDefName;
  job.m_bOverwrite = settings.overwrite;
  job.m_bPause = settings.pause;
  job.m_strDecodeDir = settings.decodeDir;
  job.m_strSource = source;
}

void SetUpEncodeJob(CEncodeJob& job, const Settings& settings, const std::string& source) {
  job.m_nCodeFormat = settings.codeFormat;
  job.m_bUseDefName = settings.useDefName;
  job.m_bOverwrite = settings.overwrite;
  job.m_bPause = settings.pause;
  job.m_strEncodeDir = settings.encodeDir;
  job.m_strSource = source;
}

}  // namespace twick

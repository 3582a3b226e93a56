#pragma once
// Sets jobs up from the program's options, so that every front end
// configures them the same way: the desktop program from its settings, the
// console from its options laid over the settings' defaults.

#include <string>

#include "jobs/DecodeJob.h"
#include "jobs/EncodeJob.h"
#include "settings/Settings.h"

namespace twick {

/// Readies `job` to decode `source` (a full path) as `settings` say.
void SetUpDecodeJob(CDecodeJob& job, const Settings& settings, const std::string& source);

/// Readies `job` to encode `source` (a full path) as `settings` say.
void SetUpEncodeJob(CEncodeJob& job, const Settings& settings, const std::string& source);

}  // namespace twick

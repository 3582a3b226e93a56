#include "codecs/CodecStatus.h"

namespace twick {

const char* CodecStatusName(CodecStatus status) {
  switch (status) {
    case CodecStatus::NeedMore: return "needs more";
    case CodecStatus::Done: return "done";
    case CodecStatus::Gap: return "gap";
    case CodecStatus::CutShort: return "cut short";
    case CodecStatus::DataLost: return "data lost";
    case CodecStatus::ChecksWrong: return "check values wrong";
    case CodecStatus::NotData: return "not data";
  }
  return "?";
}

}  // namespace twick

#include "core/CommandNames.h"

#include "core/Platform.h"

namespace twick {

namespace {

// Lowers the count of `key`, forgetting it at zero.
template <typename Map, typename Key>
void Release(Map& counts, const Key& key) {
  auto it = counts.find(key);
  if (it != counts.end() && --it->second == 0) counts.erase(it);
}

}  // namespace

bool CommandNames::IdentityOfPath(const std::string& path, Identity& identity) {
  platform::FileStatus status;
  if (path.empty() || platform::StatusOfPath(path.c_str(), status, true) != platform::Lookup::Found)
    return false;
  identity = {status.device, status.inode};
  return true;
}

void CommandNames::AddLaterInput(const std::string& path) {
  ++laterPaths_[path];
  Identity identity;
  if (IdentityOfPath(path, identity)) ++laterFiles_[identity];
}

void CommandNames::StartInput(const std::string& path) {
  Release(laterPaths_, path);
  Identity identity;
  if (IdentityOfPath(path, identity)) Release(laterFiles_, identity);
}

void CommandNames::AddWritten(const std::string& path) { written_.insert(path); }

bool CommandNames::Taken(const std::string& path) const {
  if (written_.count(path) != 0 || laterPaths_.count(path) != 0) return true;
  Identity identity;
  return !laterFiles_.empty() && IdentityOfPath(path, identity) && laterFiles_.count(identity) != 0;
}

}  // namespace twick

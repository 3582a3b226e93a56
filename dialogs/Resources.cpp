#include "dialogs/Resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares a function of the global namespace, so it cannot
// be called from inside namespace twick.
static void InitTwick32Resources() { Q_INIT_RESOURCE(twick32); }

namespace twick {

void InitResources() {
  // Pictures ask for it each time they are drawn; register once.
  static const bool registered = (InitTwick32Resources(), true);
  (void)registered;
}

}  // namespace twick

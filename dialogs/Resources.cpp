#include "dialogs/Resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares a function of the global namespace, so it cannot
// be called from inside namespace twick.
static void InitTwick32Resources() { Q_INIT_RESOURCE(twick32); }

namespace twick {

void InitResources() { InitTwick32Resources(); }

}  // namespace twick

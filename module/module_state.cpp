// The module's one state object. The runtime constructs it when the library is loaded and
// destroys it when the library is unloaded, which frees the list and every record.
#include "module/module_state.h"

ModuleState moduleState;

// The shared library's only export.
#include "plugins/dxf/osprel.h"

extern "C" QN_PLUGIN_EXPORT int32_t QNIOPLUGINENTRY(uint32_t selector, QNHostFn* callbacks, void* block) {
  return OsprelEntry(selector, callbacks, block);
}

/* A library built for another interface version, or one with nothing but the version: the
   loader must refuse both. */
#include <velmora/pst.h>

PST_API uint32_t PSTInterfaceVersion(void) {
    return STUB_VERSION;
}

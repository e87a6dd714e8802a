/* A phone library for the loader's tests, built three ways: one attaching 40 devices (more
   than the loader first makes room for), one built for another interface version, and one
   without PSTSendCommand. */
#include <velmora/pst.h>

#ifndef STUB_VERSION
#define STUB_VERSION PST_INTERFACE_VERSION
#endif

PST_API uint32_t PSTInterfaceVersion(void) {
    return STUB_VERSION;
}
PST_API int32_t PSTInitializeEx(int32_t mode, PstDeviceListChanged onChange, void* user) {
    return mode == PST_INTERFACE_USB && !onChange && !user ? 0 : 1;
}
PST_API int32_t PSTUninitialize(void) {
    return 0;
}
PST_API int32_t PSTGetDeviceList(uint16_t* devices, int32_t capacity, int32_t* count) {
    for (int32_t i = 0; i < 40 && i < capacity; ++i) devices[i] = (uint16_t)(i + 1);
    *count = 40;
    return 0;
}
PST_API int32_t PSTGetInterfaceHandle(uint32_t deviceId, const char* name, uint32_t* handle) {
    *handle = deviceId;
    return !name;
}
PST_API int32_t PSTTestCmdInit(uint16_t deviceId, int32_t rs232) {
    return deviceId == 0 || rs232;
}
#ifndef STUB_NO_SEND
PST_API int32_t PSTSendCommand(uint32_t deviceId, uint32_t handle, const char* command,
                               const uint8_t* request, int32_t requestLength, uint8_t* reply,
                               int32_t replyCapacity, int32_t* replyLength, uint16_t deviceId16) {
    *replyLength = 0;
    return !(deviceId == handle && command && request && reply && requestLength < replyCapacity &&
             deviceId16 == deviceId);
}
#endif

/* The phone library's C interface: what Velmora loads (dlopen) as its phone support library.
 * The emulated phone and the trace replayer that ship with Velmora implement it, and so can a
 * library that talks to a real phone. Velmora refuses a library whose PSTInterfaceVersion is
 * not PST_INTERFACE_VERSION, or that lacks one of the required functions.
 *
 * SPDX-License-Identifier: GPL-3.0-or-later
 * Copyright (C) 2026 The Velmora developers
 *
 * Common rules:
 * - Every int32_t result is 0 for success and anything else for failure; Velmora does not tell
 *   failure codes apart. No function may let a C++ exception (or a longjmp) out.
 * - Pointers the program passes are borrowed for the call only: the library copies what it
 *   keeps. Buffers the program passes are the program's; the library writes within the given
 *   length and nothing else.
 * - Texts are NUL-terminated UTF-8.
 * - Device ids are 16-bit (PSTGetDeviceList); where an operation takes 32 bits, the id is
 *   zero-extended.
 * - Except where a function says otherwise, functions may be called from any thread, several
 *   at once (the window's thread polls devices while a worker transfers a file): a library
 *   serialises what must be serialised itself.
 * - A library gets its pst.conf values through PSTConfigure and reads anything else it needs
 *   (its environment, its files) itself. It is never unloaded: Velmora never calls dlclose.
 *
 * Build a library with -fvisibility=hidden (or a version script) so that only these functions
 * are exported; PST_API marks them. */
#ifndef VELMORA_PST_H
#define VELMORA_PST_H

#include <stdint.h>

#if defined(__GNUC__)
#define PST_API __attribute__((visibility("default")))
#else
#define PST_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The version of this interface. A change that breaks a library or the program raises it. */
#define PST_INTERFACE_VERSION 1u

#define PST_INTERFACE_USB 1
#define PST_INTERFACE_RS232 2

/* The interface name that PSTGetInterfaceHandle is asked for before every test command. */
#define PST_TEST_COMMAND_INTERFACE "Motorola_Test_Command"

/* The set of attached devices changed. The library calls it from a thread of its own, never
 * from inside one of the functions below (the program may be waiting in it for the library),
 * and never after the PSTUninitialize that ends the initialisation that registered it. The
 * program returns at once: it only schedules a device poll. */
typedef void (*PstDeviceListChanged)(void* user);

/* A pst.conf value the library needs (see PSTConfigValues). */
typedef struct PstConfigValue {
    const char* name;  /* the value's name in pst.conf; NULL ends the list */
    int32_t namesFile; /* non-zero: the value is a path that must name an existing file */
} PstConfigValue;

/* What the program offers a library while it is configured (see PSTConfigure). */
typedef struct PstHost {
    void* user; /* passed back to both functions */
    /* The text of a pst.conf value, or NULL when it is not there or is not a text. The text
     * stays valid until the next call of configText or the end of PSTConfigure. */
    const char* (*configText)(void* user, const char* name);
    /* Tells the user something about the library's configuration: a message box, a line on
     * standard error and the status bar. format is the English text; each "%s" in it stands
     * for the next of the argCount arguments (no other conversions; "%%" is not special). The
     * program translates the format when it knows the text, so arguments carry what must
     * not be translated: paths, names, numbers. All strings are borrowed for the call. */
    void (*message)(void* user, const char* format, const char* const* args, int32_t argCount);
} PstHost;

/* ---- Required ---- */

/* PST_INTERFACE_VERSION as the library was built with it. Any thread, any time; first of all,
 * the program calls it right after loading. */
PST_API uint32_t PSTInterfaceVersion(void);

/* Starts the library in an interface mode (PST_INTERFACE_USB or PST_INTERFACE_RS232) and
 * registers the device-change callback (NULL: none). A library that starts announces the
 * devices it finds with one callback soon after, since the program's first device poll waits
 * for it. Called on the program's window thread, at start and after PSTUninitialize on each
 * interface switch; never at the same time as itself or PSTUninitialize. */
PST_API int32_t PSTInitializeEx(int32_t interfaceMode, PstDeviceListChanged onChange, void* user);

/* Stops the library; the callback registered by PSTInitializeEx is not called once it has
 * returned. Same thread rules as PSTInitializeEx. The program does not call it at exit. */
PST_API int32_t PSTUninitialize(void);

/* The attached devices' ids. On 0, *count is the number of attached devices, and the first
 * min(*count, capacity) of them are written to devices in the library's order; when *count
 * exceeds capacity the program asks again with room for all. devices may be NULL when
 * capacity is 0. On failure nothing is written. */
PST_API int32_t PSTGetDeviceList(uint16_t* devices, int32_t capacity, int32_t* count);

/* A handle for an interface of a device (the program asks for PST_TEST_COMMAND_INTERFACE
 * before every command and never releases it). On 0, *handle is written. */
PST_API int32_t PSTGetInterfaceHandle(uint32_t deviceId, const char* interfaceName,
                                      uint32_t* handle);

/* Prepares a device for test commands; rs232 is 1 when the interface mode is RS232, else 0. */
PST_API int32_t PSTTestCmdInit(uint16_t deviceId, int32_t rs232);

/* Sends one test command ("FSAC", "RESTART", "SUSPEND", "RDELEM") with requestLength bytes of
 * request (request may be NULL when the length is 0) and writes the device's reply into reply,
 * at most replyCapacity bytes. *replyLength is set on every return to the number of reply
 * bytes (0 on failure); it is never more than replyCapacity from a correct library, and the
 * program does not rely on that. deviceId16 repeats the device id. */
PST_API int32_t PSTSendCommand(uint32_t deviceId, uint32_t handle, const char* command,
                               const uint8_t* request, int32_t requestLength, uint8_t* reply,
                               int32_t replyCapacity, int32_t* replyLength, uint16_t deviceId16);

/* ---- Optional: the program calls them when the library has them ---- */

/* The pst.conf values without which the library cannot run, ended by an entry whose name is
 * NULL; the array and its texts stay valid while the library is loaded. The program's
 * start-up check counts pst.conf as incomplete when one is missing, or names a file that does
 * not exist, and then points FileName at the bundled emulated library. Any thread; called
 * before PSTConfigure, possibly more than once. */
PST_API const PstConfigValue* PSTConfigValues(void);

/* Configures the library: it reads its pst.conf values (any name it wants, through
 * host->configText) and its own configuration, and reports through host->message what the
 * user must know about them. Both host functions may be called only during this call, on the
 * calling thread; host is not kept. The program calls it once after loading, before
 * PSTInitializeEx, on its window thread. Called again (a second load in one process shares
 * the library), it starts over from the new configuration: all state is dropped, and the
 * callback registered before is not called any more. A library without PSTConfigure, or one
 * that is never configured, reads only its own configuration. */
PST_API void PSTConfigure(const PstHost* host);

/* The functions' types, for a program that looks them up with dlsym. */
typedef uint32_t (*PstInterfaceVersionFn)(void);
typedef int32_t (*PstInitializeExFn)(int32_t, PstDeviceListChanged, void*);
typedef int32_t (*PstUninitializeFn)(void);
typedef int32_t (*PstGetDeviceListFn)(uint16_t*, int32_t, int32_t*);
typedef int32_t (*PstGetInterfaceHandleFn)(uint32_t, const char*, uint32_t*);
typedef int32_t (*PstTestCmdInitFn)(uint16_t, int32_t);
typedef int32_t (*PstSendCommandFn)(uint32_t, uint32_t, const char*, const uint8_t*, int32_t,
                                    uint8_t*, int32_t, int32_t*, uint16_t);
typedef const PstConfigValue* (*PstConfigValuesFn)(void);
typedef void (*PstConfigureFn)(const PstHost*);

#ifdef __cplusplus
}
#endif

#endif /* VELMORA_PST_H */

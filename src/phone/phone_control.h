// The phone control test commands: restart, suspend, and the model name that heads the tree.
// Each is one request over the command channel, on the window's thread.
#pragma once

#include <optional>
#include <string>

#include "base/prompts.h"
#include "phone/phone_window.h"
#include "phone/pst_library.h"
#include "phone/session_window.h"

namespace velmora {

inline constexpr int kStrPhoneRestarted = 164;
inline constexpr int kStrPhoneSuspended = 166;

// Both report their outcome in status part 4; the phone's disappearance, if any, arrives as
// the library's device-change notification.
void RestartPhone(PstLibrary& library, PhoneWindow& window, Prompts& prompts);
void SuspendPhone(PstLibrary& library, PhoneWindow& window, Prompts& prompts);

// "RDELEM": the model name, or nothing after a reported failure.
std::optional<std::string> ReadPhoneModel(PstLibrary& library, PhoneWindow& window,
                                          Prompts& prompts);
// The model name becomes the whole root text; a failure leaves the root as it was.
void QueryPhoneModel(PstLibrary& library, SessionWindow& window, Prompts& prompts);

}  // namespace velmora

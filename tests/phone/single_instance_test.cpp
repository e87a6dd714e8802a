// The single-instance lock: held only while its process lives.
#include "phone/single_instance.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "base/lang_string.h"
#include "support/temp_folder.h"

namespace velmora {
namespace {

TEST(SingleInstanceLock, OneHolderAtATime) {
    test::TempFolder tmp;
    const auto file = tmp.path() / "velmora.lock";
    {
        SingleInstanceLock first(file);
        ASSERT_EQ(first.State(), InstanceLockState::Acquired) << first.Problem();
        SingleInstanceLock second(file);
        EXPECT_EQ(second.State(), InstanceLockState::AnotherRunning);
        EXPECT_EQ(second.Problem(), "");
    }
    SingleInstanceLock after(file);
    EXPECT_EQ(after.State(), InstanceLockState::Acquired);
}

// What a crash leaves behind: the file, with a number that now belongs to some other process.
TEST(SingleInstanceLock, AKilledHolderLeavesNothingStale) {
    test::TempFolder tmp;
    const auto file = tmp.path() / "velmora.lock";
    std::ofstream(file) << ::getppid() << "\n";
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SingleInstanceLock held(file);
        const char state = held.State() == InstanceLockState::Acquired ? 'y' : 'n';
        [[maybe_unused]] auto n = ::write(ready[1], &state, 1);
        ::pause();
        ::_exit(0);
    }
    char state = 0;
    ASSERT_EQ(::read(ready[0], &state, 1), 1);
    EXPECT_EQ(state, 'y');
    EXPECT_EQ(SingleInstanceLock(file).State(), InstanceLockState::AnotherRunning);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(SingleInstanceLock(file).State(), InstanceLockState::Acquired);
}

TEST(SingleInstanceLock, NoPlaceForTheLockIsSaidNotTakenForASecondCopy) {
    test::TempFolder tmp;
    SetLanguageIndex(kLanguageEnglish);
    const auto missing = tmp.path() / "no-such-home" / ".velmora.lock";
    SingleInstanceLock lock(missing);
    EXPECT_EQ(lock.State(), InstanceLockState::Unavailable);
    EXPECT_EQ(InstanceLockMessage(lock),
              "Velmora cannot keep a second copy from starting (" + missing.string() +
                  ": No such file or directory); it starts without that lock.");
    EXPECT_EQ(SingleInstanceLock({}).State(), InstanceLockState::Unavailable);

    // The runtime folder first, then a folder of its own in the cache; the home never gets a
    // dotfile.
    EXPECT_EQ(InstanceLockPath({.cache = "/c", .runtime = "/run/user/1"}),
              "/run/user/1/velmora.lock");
    EXPECT_EQ(InstanceLockPath({.cache = "/c"}), "/c/velmora/velmora.lock");
    EXPECT_FALSE(InstanceLockPath({.config = "/home/u/.config"}));
}

}  // namespace
}  // namespace velmora

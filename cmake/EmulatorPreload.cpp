// Preloaded into the tests when they run for another processor under
// qemu's user-mode emulation (QEMU_SET_ENV=LD_PRELOAD=...).
//
// The emulator passes a pidfd wait (waitid P_PIDFD) through to the host
// kernel, which knows it, but refuses the matching clone(CLONE_PIDFD). Qt's
// process launcher then takes the pidfd path, fails, and reports a child that
// "runs" with process id -1: terminating or destroying it sends a signal to
// every process of the machine. Refusing the pidfd wait makes Qt start
// children the way it does on a kernel without pidfds, like the board's.
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <dlfcn.h>
#include <sys/syscall.h>

namespace {
constexpr long pidfdWaitType = 3; // P_PIDFD
}

extern "C" long syscall(long number, ...) noexcept
{
    va_list list;
    va_start(list, number);
    long args[6];
    for (long &arg : args)
        arg = va_arg(list, long);
    va_end(list);
    if (number == SYS_waitid && args[0] == pidfdWaitType) {
        errno = ENOSYS;
        return -1;
    }
    using Syscall = long (*)(long, ...);
    static const auto next = reinterpret_cast<Syscall>(dlsym(RTLD_NEXT, "syscall"));
    return next(number, args[0], args[1], args[2], args[3], args[4], args[5]);
}

// The host's own programs (the shell, cp, the fake tools) started by a test
// must not be asked to preload a library of another processor.
__attribute__((constructor)) static void forgetPreload()
{
    unsetenv("LD_PRELOAD");
}

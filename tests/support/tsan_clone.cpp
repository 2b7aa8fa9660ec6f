// ThreadSanitizer builds only. QProcess starts children with a vfork-like clone
// (CLONE_VM | CLONE_VFORK); ThreadSanitizer's clone interceptor (clang 14 and 16
// alike) does its fork bookkeeping in such a child, on the parent's memory, and
// stops every test that starts a process with "CHECK failed ... thr->slot". Such a
// child only execs, so it is started with the C library's clone, unseen; every
// other clone still goes through the interceptor. (The interceptor's `clone` is a
// weak alias, which this definition replaces.)
#include <cstdarg>
#include <dlfcn.h>
#include <sched.h>
#include <sys/types.h>

extern "C" int __interceptor_clone(int (*fn)(void*), void* stack, int flags, void* arg, ...);

extern "C" int clone(int (*fn)(void*), void* stack, int flags, void* arg, ...) {
    va_list more;
    va_start(more, arg);
    auto* parentTid = va_arg(more, pid_t*);
    auto* tls = va_arg(more, void*);
    auto* childTid = va_arg(more, pid_t*);
    va_end(more);
    if ((flags & CLONE_VM) == 0) {
        return __interceptor_clone(fn, stack, flags, arg, parentTid, tls, childTid);
    }
    using Clone = int (*)(int (*)(void*), void*, int, void*, ...);
    static const auto real = reinterpret_cast<Clone>(dlsym(RTLD_NEXT, "clone"));
    return real(fn, stack, flags, arg, parentTid, tls, childTid);
}

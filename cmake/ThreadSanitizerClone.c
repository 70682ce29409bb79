// Linked into every program of a ThreadSanitizer build. QProcess starts its children with a
// vfork-like clone (CLONE_VM). This compiler's ThreadSanitizer treats every clone as a fork and
// resets its state in the child, which with CLONE_VM is the parent's own memory: the parent then
// dies at its next thread start ("starting new threads after multi-threaded fork"). Without
// CLONE_VM the child is a plain copy that execs at once, as the sanitizer expects.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <sched.h>
#include <stdarg.h>
#include <sys/types.h>

typedef int (*CloneFunction)(int (*)(void*), void*, int, void*, ...);

int clone(int (*fn)(void*), void* stack, int flags, void* arg, ...) {
    va_list rest;
    va_start(rest, arg);
    pid_t* parentTid = va_arg(rest, pid_t*);
    void* tls = va_arg(rest, void*);
    pid_t* childTid = va_arg(rest, pid_t*);
    va_end(rest);
    if ((flags & CLONE_VM) && !(flags & CLONE_THREAD)) {
        flags &= ~CLONE_VM;
    }
    const CloneFunction next = (CloneFunction)dlsym(RTLD_NEXT, "clone");
    return next(fn, stack, flags, arg, parentTid, tls, childTid);
}

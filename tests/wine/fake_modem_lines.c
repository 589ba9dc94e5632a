/* Test harness only, loaded into Wine with LD_PRELOAD: gives one pseudo-terminal the modem
 * lines a real serial adapter has. A pseudo-terminal refuses TIOCMGET, TIOCMSET, TIOCMBIS and
 * TIOCMBIC, so a program driving RTS on it fails; here those requests on the terminal named by
 * QVPROG_FAKE_MODEM_PTY are answered from a stored line state instead, and every change of RTS
 * is told to the peer as one byte ('R' raised, 'r' dropped) written to the FIFO named by
 * QVPROG_FAKE_MODEM_FIFO. Every other request goes to the real ioctl. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

static int lines = TIOCM_CTS | TIOCM_DSR | TIOCM_CAR;

static int is_fake_pty(int fd) {
    const char* path = getenv("QVPROG_FAKE_MODEM_PTY");
    struct stat want, have;
    if (!path || !*path || stat(path, &want) != 0 || fstat(fd, &have) != 0) return 0;
    return S_ISCHR(have.st_mode) && have.st_rdev == want.st_rdev;
}

static void tell_rts(int before, int after) {
    const char* fifo = getenv("QVPROG_FAKE_MODEM_FIFO");
    if (!fifo || ((before ^ after) & TIOCM_RTS) == 0) return;
    int fd = open(fifo, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    char c = (after & TIOCM_RTS) ? 'R' : 'r';
    ssize_t ignored = write(fd, &c, 1);
    (void)ignored;
    close(fd);
}

int ioctl(int fd, unsigned long request, ...) {
    static int (*real_ioctl)(int, unsigned long, ...);
    va_list ap;
    va_start(ap, request);
    void* arg = va_arg(ap, void*);
    va_end(ap);
    if (!real_ioctl) real_ioctl = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");
    if ((request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS ||
         request == TIOCMBIC) &&
        is_fake_pty(fd)) {
        int* bits = (int*)arg;
        if (!bits) {
            errno = EFAULT;
            return -1;
        }
        int before = __atomic_load_n(&lines, __ATOMIC_SEQ_CST), after = before;
        const int settable = TIOCM_RTS | TIOCM_DTR;
        if (request == TIOCMGET) {
            *bits = before;
            return 0;
        }
        if (request == TIOCMSET) after = (before & ~settable) | (*bits & settable);
        if (request == TIOCMBIS) after = before | (*bits & settable);
        if (request == TIOCMBIC) after = before & ~(*bits & settable);
        __atomic_store_n(&lines, after, __ATOMIC_SEQ_CST);
        tell_rts(before, after);
        return 0;
    }
    return real_ioctl(fd, request, arg);
}

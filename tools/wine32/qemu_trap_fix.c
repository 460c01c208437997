/*
 * Test infrastructure for the private 32-bit Wine (tools/wine32/install
 * builds it), preloaded into every 32-bit Wine process run by qemu-i386.
 *
 * qemu 7.2 delivers a guest page fault as SIGSEGV with the trap number of
 * its signal context set to -1 instead of 14 (page fault). Wine's SIGSEGV
 * handler decides by that number: every access violation, guard-page hit
 * and fault Wine would resolve itself became an "illegal instruction", so
 * code that handles an access violation crashed, and Wine's background
 * processes (services, winedevice, explorer) crashed at random. Here the
 * process's own SIGSEGV handler is wrapped: before it runs, a fault that
 * the kernel reports as one (SEGV_MAPERR, SEGV_ACCERR) with trap number
 * -1 gets 14; the error code qemu stores (write, present) is kept.
 *
 * Built with -nostdlib and no system headers; dlsym comes from the
 * process's own C library at load time. The layouts below are i386
 * Linux's. Built for x86_64 it is empty (see qemu_mmap_fix.c).
 */
#if defined(__i386__)

#define SIGSEGV 11
#define SA_SIGINFO 4
#define SEGV_MAPERR 1
#define SEGV_ACCERR 2
#define TRAP_PAGE_FAULT 14
#define RTLD_NEXT ((void *)-1)

typedef void (*InfoHandler)(int, void *, void *);

/* struct sigaction of i386 glibc: handler, 128-byte mask, flags, restorer. */
struct TrapFixAction {
  InfoHandler handler;
  unsigned char mask[128];
  int flags;
  void (*restorer)(void);
};

/* siginfo_t: si_signo, si_errno, si_code first. */
struct TrapFixInfo {
  int signo, error, code;
};

/* ucontext_t: flags, link, stack (3 words), then the registers of
   struct sigcontext, whose 13th word is the trap number. */
struct TrapFixContext {
  unsigned long flags;
  void *link;
  unsigned long stack[3];
  unsigned long registers[19];
};
#define REGISTER_TRAPNO 12

extern void *dlsym(void *handle, const char *name);

typedef int (*SigactionFn)(int, const struct TrapFixAction *, struct TrapFixAction *);

static InfoHandler gTrapFixWrapped;

static void TrapFixHandler(int signal, void *info, void *context) {
  const struct TrapFixInfo *i = (const struct TrapFixInfo *)info;
  struct TrapFixContext *c = (struct TrapFixContext *)context;
  if (i != 0 && c != 0 && (i->code == SEGV_MAPERR || i->code == SEGV_ACCERR) &&
      c->registers[REGISTER_TRAPNO] == (unsigned long)-1) {
    c->registers[REGISTER_TRAPNO] = TRAP_PAGE_FAULT;
  }
  gTrapFixWrapped(signal, info, context);
}

int sigaction(int signal, const struct TrapFixAction *action, struct TrapFixAction *old) {
  static SigactionFn real;
  struct TrapFixAction wrapped;
  InfoHandler previous = gTrapFixWrapped;
  int result;
  if (real == 0) real = (SigactionFn)dlsym(RTLD_NEXT, "sigaction");
  if (signal != SIGSEGV) return real(signal, action, old);
  if (action != 0 && (action->flags & SA_SIGINFO) != 0 && action->handler != 0) {
    wrapped = *action;
    gTrapFixWrapped = action->handler;
    wrapped.handler = TrapFixHandler;
    action = &wrapped;
  }
  result = real(signal, action, old);
  if (result != 0) gTrapFixWrapped = previous;
  /* The caller sees its own handler, not the wrapper. */
  if (old != 0 && old->handler == TrapFixHandler) old->handler = previous;
  return result;
}

#else
/* The 64-bit build: nothing to replace. */
int qemu_trap_fix_unused;
#endif

/*
 * Preloaded into the 32-bit Wine loader when it runs under qemu-i386 7.2 (Debian 12's
 * qemu-user-static): mends three places where that emulator tells a 32-bit process something a
 * 32-bit Linux kernel would not, each of which breaks Wine.
 *
 * Built for i386 without the C library's start files (gcc -m32 -shared -nostdlib), so no 32-bit
 * development packages are needed; the few C library functions it calls are resolved in the
 * emulated process, which has the 32-bit C library loaded.
 */

extern long syscall(long number, ...);
extern int* __errno_location(void);
extern void* dlsym(void* handle, const char* name);

#define RTLD_NEXT ((void*)-1l)
#define SYS_OPEN 5
#define SYS_READ 3
#define SYS_CLOSE 6
#define SYS_MUNMAP 91
#define SYS_SYSINFO 116
#define SYS_MMAP2 192
#define EINVAL 22
#define EEXIST 17

/*
 * 1. MAP_FIXED_NOREPLACE. qemu 7.2 drops the flag and maps wherever it likes. Wine reserves its
 * address space with it and, finding the mapping elsewhere, keeps splitting the request down to
 * 64 KiB pieces over 2 GiB: about 65,000 calls and a minute for every process start. The kernel's
 * answer is the address asked for or EEXIST, and so is this one's.
 */
#define MAP_FIXED_NOREPLACE 0x100000
#define PAGE_SHIFT 12

static void* map_pages(void* at, unsigned length, int prot, int flags, int fd,
                       unsigned long long offset) {
  if (offset & ((1ull << PAGE_SHIFT) - 1)) {
    *__errno_location() = EINVAL;
    return (void*)-1;
  }
  long got = syscall(SYS_MMAP2, at, length, prot, flags & ~MAP_FIXED_NOREPLACE, fd,
                     (long)(offset >> PAGE_SHIFT));
  if (got == -1 || !(flags & MAP_FIXED_NOREPLACE) || (void*)got == at) return (void*)got;
  syscall(SYS_MUNMAP, got, length);
  *__errno_location() = EEXIST;
  return (void*)-1;
}

void* mmap64(void* at, unsigned length, int prot, int flags, int fd, long long offset) {
  return map_pages(at, length, prot, flags, fd, (unsigned long long)offset);
}

void* mmap(void* at, unsigned length, int prot, int flags, int fd, long offset) {
  return map_pages(at, length, prot, flags, fd, (unsigned long)offset);
}

/*
 * 2. The SIGSEGV frame. qemu 7.2 hands a 32-bit guest trap number -1 and error code 0, and Wine
 * turns every access violation into an illegal instruction (c000001d): a program's own handler
 * for c0000005 never sees it. The SIGSEGV handler Wine installs is wrapped and the frame given the
 * page fault's trap number. qemu does not say whether a read or a write faulted; read is assumed.
 */
typedef void (*segv_handler)(int, void*, void*);
static segv_handler wine_segv_handler;

enum {
  UCONTEXT_GREGS_OFFSET = 20, /* uc_flags, uc_link, uc_stack (3 words) */
  REG_TRAPNO = 12,
  REG_ERR = 13,
  TRAP_PAGE_FAULT = 14,
  FAULT_USER_PRESENT = 4,
  SEGV_ACCERR = 2,
};

static void segv_with_trap_number(int signal, void* info, void* context) {
  unsigned* gregs = (unsigned*)((char*)context + UCONTEXT_GREGS_OFFSET);
  int code = ((int*)info)[2]; /* si_signo, si_errno, si_code */
  if (gregs[REG_TRAPNO] == 0xffffffffu) {
    gregs[REG_TRAPNO] = TRAP_PAGE_FAULT;
    gregs[REG_ERR] = FAULT_USER_PRESENT | (code == SEGV_ACCERR);
  }
  wine_segv_handler(signal, info, context);
}

/* glibc's i386 struct sigaction: handler, 32 words of mask, flags, restorer. */
enum { SIGACTION_WORDS = 35, SIGACTION_FLAGS = 33, SA_SIGINFO = 4, SIGSEGV = 11 };

__attribute__((visibility("default"))) int sigaction(int signal, const void* action, void* old) {
  static int (*real_sigaction)(int, const void*, void*);
  if (!real_sigaction)
    real_sigaction = (int (*)(int, const void*, void*))dlsym(RTLD_NEXT, "sigaction");
  const unsigned* words = action;
  if (signal != SIGSEGV || !words || !(words[SIGACTION_FLAGS] & SA_SIGINFO) || words[0] <= 1)
    return real_sigaction(signal, action, old); /* not a handler of Wine's (or SIG_DFL/SIG_IGN) */
  unsigned wrapped[SIGACTION_WORDS];
  __builtin_memcpy(wrapped, words, sizeof wrapped);
  wine_segv_handler = (segv_handler)words[0];
  wrapped[0] = (unsigned)segv_with_trap_number;
  return real_sigaction(signal, wrapped, old);
}

/*
 * 3. sysinfo(). qemu 7.2 cuts the host's 64-bit byte counts to 32 bits with mem_unit 1, so on a
 * machine with more than 4 GiB Wine reports less memory installed than free (a memory load above
 * 100 %). A 32-bit kernel scales mem_unit instead until the counts fit; so does this, with the
 * counts read from /proc/meminfo.
 */
struct sysinfo32 {
  long uptime;
  unsigned long loads[3];
  unsigned long totalram, freeram, sharedram, bufferram, totalswap, freeswap;
  unsigned short procs, pad;
  unsigned long totalhigh, freehigh;
  unsigned mem_unit;
  char reserved[8];
};

/* The kB figure of "Name:" in the text of /proc/meminfo, or 0. */
static unsigned long long meminfo_kb(const char* text, const char* name) {
  for (const char* line = text; *line;) {
    const char *p = line, *n = name;
    while (*n && *p == *n) ++p, ++n;
    if (!*n && *p == ':') {
      unsigned long long kb = 0;
      while (*++p == ' ') {
      }
      for (; *p >= '0' && *p <= '9'; ++p) kb = kb * 10 + (unsigned)(*p - '0');
      return kb;
    }
    while (*line && *line != '\n') ++line;
    if (*line) ++line;
  }
  return 0;
}

__attribute__((visibility("default"))) int sysinfo(struct sysinfo32* info) {
  long result = syscall(SYS_SYSINFO, info);
  if (result != 0) return (int)result;
  char text[4096];
  long fd = syscall(SYS_OPEN, "/proc/meminfo", 0);
  if (fd < 0) return 0;
  long length = syscall(SYS_READ, fd, text, sizeof text - 1);
  syscall(SYS_CLOSE, fd);
  if (length <= 0) return 0;
  text[length] = 0;
  unsigned long long kb[6] = {meminfo_kb(text, "MemTotal"),  meminfo_kb(text, "MemFree"),
                              meminfo_kb(text, "Shmem"),     meminfo_kb(text, "Buffers"),
                              meminfo_kb(text, "SwapTotal"), meminfo_kb(text, "SwapFree")};
  if (!kb[0]) return 0;
  unsigned unit = 1;
  while (kb[0] * 1024 / unit > 0xffffffffull) unit <<= 1;
  unsigned long* counts[6] = {&info->totalram,  &info->freeram,   &info->sharedram,
                              &info->bufferram, &info->totalswap, &info->freeswap};
  for (int i = 0; i < 6; ++i) {
    unsigned long long units = kb[i] * 1024 / unit;
    *counts[i] = units > 0xffffffffull ? 0xffffffffu : (unsigned long)units;
  }
  info->totalhigh = info->freehigh = 0;
  info->mem_unit = unit;
  return 0;
}

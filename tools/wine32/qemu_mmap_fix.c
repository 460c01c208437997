/*
 * Test infrastructure for the private 32-bit Wine (tools/wine32/install
 * builds it), preloaded into every 32-bit Wine process run by qemu-i386.
 *
 * qemu 7.2 ignores MAP_FIXED_NOREPLACE: a mapping asked at a taken address
 * lands elsewhere. Wine reserves its address space by asking for fixed
 * addresses with that flag and treats any other result as "taken", one
 * step at a time, so every 32-bit Wine process spent about a minute at
 * start in that loop. Here a request with the flag and an address is made
 * as a hint without the flag; a mapping that lands elsewhere is undone and
 * fails with EEXIST, as the kernel would answer. Every other request goes
 * to the system call unchanged.
 *
 * Built with -nostdlib and no system headers (no 32-bit C library headers
 * are needed on the host); errno and syscall come from the process's own C
 * library at load time. Built for x86_64 it is empty: the host's 64-bit
 * programs that Wine starts see the same LD_PRELOAD and load it harmlessly.
 */
#if defined(__i386__)

typedef __SIZE_TYPE__ size_t;

extern long syscall(long number, ...);
extern int *__errno_location(void);

#define MAP_FIXED_NOREPLACE 0x100000
#define SYS_MMAP2 192
#define SYS_MUNMAP 91
#define PAGE_SHIFT 12
#define EEXIST 17
#define EINVAL 22
#define MAPPING_FAILED ((void *)-1)

static void *MmapFixRequest(void *address, size_t length, int protection, int flags, int fd,
                            long long offset) {
  void *mapped;
  if ((offset & ((1 << PAGE_SHIFT) - 1)) != 0) {
    *__errno_location() = EINVAL;
    return MAPPING_FAILED;
  }
  if ((flags & MAP_FIXED_NOREPLACE) == 0 || address == 0) {
    return (void *)syscall(SYS_MMAP2, address, length, protection, flags, fd, (long)(offset >> PAGE_SHIFT));
  }
  mapped = (void *)syscall(SYS_MMAP2, address, length, protection, flags & ~MAP_FIXED_NOREPLACE, fd,
                           (long)(offset >> PAGE_SHIFT));
  if (mapped == MAPPING_FAILED || mapped == address) return mapped;
  syscall(SYS_MUNMAP, mapped, length);
  *__errno_location() = EEXIST;
  return MAPPING_FAILED;
}

void *mmap64(void *address, size_t length, int protection, int flags, int fd, long long offset) {
  return MmapFixRequest(address, length, protection, flags, fd, offset);
}

void *mmap(void *address, size_t length, int protection, int flags, int fd, long offset) {
  return MmapFixRequest(address, length, protection, flags, fd, offset);
}

#else
/* The 64-bit build: nothing to replace. */
int qemu_mmap_fix_unused;
#endif

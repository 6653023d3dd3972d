/* What Windows XP SP3's kernel32 lacks and the static runtime imports, provided by the
 * program itself. Linked as an object into every .exe and .dll of the Windows build: the
 * import pointer defined here takes the place of kernel32's, so the function is left out of
 * the import table and XP's loader finds nothing missing.
 *
 * GetTickCount64: winpthreads times its waits with it (condition variable and mutex
 * time-outs, sleeps). */
#include <windows.h>

#include <stdint.h>

/* The whole count at the last reading; its low 32 bits are GetTickCount's value then. */
static uint64_t tick_count;

/* GetTickCount wraps every 49.7 days; each reading adds the ticks since the last one. The
 * new reading is taken after the last one was loaded, and stored only if no one stored in
 * between, so a step is never negative: the count is right as long as it is read at least
 * once every 49.7 days. */
static ULONGLONG WINAPI TickCount64(void) {
  uint64_t last = __atomic_load_n(&tick_count, __ATOMIC_ACQUIRE);
  for (;;) {
    uint32_t now = GetTickCount();
    uint64_t next = last + (uint32_t)(now - (uint32_t)last);
    if (__atomic_compare_exchange_n(&tick_count, &last, next, 0, __ATOMIC_ACQ_REL,
                                    __ATOMIC_ACQUIRE))
      return next;
  }
}

/* The name the linker gives the import pointer: stdcall decorated on 32-bit x86. */
#if defined(_M_IX86) || defined(__i386__)
#define VX_IMPORT_NAME(name, arguments) "__imp__" #name "@" #arguments
#else
#define VX_IMPORT_NAME(name, arguments) "__imp_" #name
#endif

ULONGLONG(WINAPI* vx_import_GetTickCount64)(void) __asm__(VX_IMPORT_NAME(GetTickCount64, 0)) =
    TickCount64;

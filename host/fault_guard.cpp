#include "fault_guard.h"

#include <windows.h>

#if defined(__x86_64__)

// Table-based handling: TamblornGuardedCall carries a scope table for the
// platform's __C_specific_handler. When TamblornGuardFilter chooses the
// handler, the platform unwinds every frame above TamblornGuardedCall and
// resumes at its fault landing, which sets the fault flag and returns.
extern "C" {
int TamblornGuardedCall(GuardedBody body, const char* argumentText, int* faulted);
LONG TamblornGuardFilter(EXCEPTION_POINTERS* fault, void* establisherFrame);
}

LONG TamblornGuardFilter(EXCEPTION_POINTERS* fault, void*)
{
    return UnhandledExceptionFilter(fault);
}

// rbx holds the fault flag's address: the unwind restores it at the landing.
__asm__("    .text\n"
        "    .p2align 4\n"
        "    .globl TamblornGuardedCall\n"
        "    .def TamblornGuardedCall; .scl 2; .type 32; .endef\n"
        "    .seh_proc TamblornGuardedCall\n"
        "TamblornGuardedCall:\n"
        "    pushq %rbx\n"
        "    .seh_pushreg %rbx\n"
        "    subq $32, %rsp\n"
        "    .seh_stackalloc 32\n"
        "    .seh_endprologue\n"
        "    movq %r8, %rbx\n"
        "    movl $0, (%rbx)\n"
        "    movq %rcx, %rax\n"
        "    movq %rdx, %rcx\n"
        ".Ltamblorn_guard_begin:\n"
        "    call *%rax\n"
        "    nop\n"
        ".Ltamblorn_guard_end:\n"
        "    addq $32, %rsp\n"
        "    popq %rbx\n"
        "    ret\n"
        ".Ltamblorn_guard_landing:\n"
        "    movl $1, (%rbx)\n"
        "    xorl %eax, %eax\n"
        "    addq $32, %rsp\n"
        "    popq %rbx\n"
        "    ret\n"
        "    .seh_handler __C_specific_handler, @except\n"
        "    .seh_handlerdata\n"
        "    .long 1\n"
        "    .rva .Ltamblorn_guard_begin, .Ltamblorn_guard_end, TamblornGuardFilter, .Ltamblorn_guard_landing\n"
        "    .text\n"
        "    .seh_endproc\n");

int RunGuarded(GuardedBody body, const char* argumentText, FaultCleanUp onFault)
{
    int faulted = 0;
    int result = TamblornGuardedCall(body, argumentText, &faulted);
    if (!faulted)
        return result;
    onFault();
    return GUARD_FAULT_RESULT;
}

#elif defined(__i386__)

// Frame-based handling: a registration record of our own on the thread's
// fs:0 chain. When UnhandledExceptionFilter chooses the handler, the frames
// above ours are unwound and execution resumes in RunGuarded.
namespace {

const int RESUME_WORDS = 5;  // what __builtin_setjmp keeps

struct GuardFrame {
    EXCEPTION_REGISTRATION_RECORD registration;  // first: the chain points here
    void* resume[RESUME_WORDS];
};

EXCEPTION_REGISTRATION_RECORD* ChainHead()
{
    EXCEPTION_REGISTRATION_RECORD* head;
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void SetChainHead(EXCEPTION_REGISTRATION_RECORD* head)
{
    __asm__ __volatile__("movl %0, %%fs:0" : : "r"(head) : "memory");
}

// RtlUnwind calls the handlers of the frames above ours and leaves ours at the
// head of the chain. It may return with ebx, esi, edi and ebp changed, so they
// are kept on the stack around the call.
void UnwindFramesAbove(GuardFrame* frame, EXCEPTION_RECORD* fault)
{
    void(WINAPI * unwind)(PVOID, PVOID, PEXCEPTION_RECORD, PVOID) = RtlUnwind;
    __asm__ __volatile__("pushl %%ebp\n\t"
                         "pushl %%ebx\n\t"
                         "pushl %%esi\n\t"
                         "pushl %%edi\n\t"
                         "pushl $0\n\t"
                         "pushl %1\n\t"
                         "pushl $1f\n\t"
                         "pushl %0\n\t"
                         "call *%2\n"
                         "1:\n\t"
                         "popl %%edi\n\t"
                         "popl %%esi\n\t"
                         "popl %%ebx\n\t"
                         "popl %%ebp"
                         :
                         : "r"(&frame->registration), "r"(fault), "r"(unwind)
                         : "eax", "ecx", "edx", "memory");
}

EXCEPTION_DISPOSITION NTAPI GuardHandler(EXCEPTION_RECORD* fault, void* establisherFrame, CONTEXT* context, void*)
{
    // Called once more while an unwind passes through: nothing to do then.
    if (fault->ExceptionFlags & EXCEPTION_UNWIND)
        return ExceptionContinueSearch;
    EXCEPTION_POINTERS pointers = {fault, context};
    LONG verdict = UnhandledExceptionFilter(&pointers);
    if (verdict == EXCEPTION_CONTINUE_EXECUTION)
        return ExceptionContinueExecution;
    if (verdict != EXCEPTION_EXECUTE_HANDLER)
        return ExceptionContinueSearch;
    GuardFrame* frame = static_cast<GuardFrame*>(establisherFrame);
    UnwindFramesAbove(frame, fault);
    __builtin_longjmp(frame->resume, 1);
}

}  // namespace

__attribute__((noinline)) int RunGuarded(GuardedBody body, const char* argumentText, FaultCleanUp onFault)
{
    GuardFrame frame;
    frame.registration.Next = ChainHead();
    frame.registration.Handler = GuardHandler;
    if (__builtin_setjmp(frame.resume)) {
        SetChainHead(frame.registration.Next);
        onFault();
        return GUARD_FAULT_RESULT;
    }
    SetChainHead(&frame.registration);
    int result = body(argumentText);
    SetChainHead(frame.registration.Next);
    return result;
}

#else
#error "The fault guard knows the i386 and x86_64 exception models only."
#endif

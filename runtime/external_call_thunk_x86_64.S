# uintptr_t corvane_external_call(void* function, const uintptr_t* words, int32_t count,
#                                 uintptr_t stackPointers[2])      (Windows x64)
#
# Calls function with words[0] ... words[count-1] in the x64 convention: the first four in
# rcx, rdx, r8 and r9 with their home slots reserved, the rest on the stack above them. The
# caller removes the arguments, so the stack pointers stored before and after the call agree
# unless the callee broke the convention itself.

        .text
        .globl  corvane_external_call
        .def    corvane_external_call; .scl 2; .type 32; .endef
        .seh_proc corvane_external_call
corvane_external_call:
        pushq   %rbp
        .seh_pushreg %rbp
        pushq   %rsi
        .seh_pushreg %rsi
        pushq   %rdi
        .seh_pushreg %rdi
        pushq   %rbx
        .seh_pushreg %rbx
        movq    %rsp, %rbp
        .seh_setframe %rbp, 0
        .seh_endprologue
        movq    %rcx, %rax              # function
        movq    %rdx, %rsi              # words
        movslq  %r8d, %rbx              # count
        movq    %r9, %rdi               # stackPointers
        # Room for max(count, 4) words, 16-byte aligned at the call.
        movq    %rbx, %rcx
        cmpq    $4, %rcx
        jge     1f
        movq    $4, %rcx
1:      leaq    15(,%rcx,8), %rcx
        andq    $-16, %rcx
        subq    %rcx, %rsp
        andq    $-16, %rsp
        xorl    %ecx, %ecx
2:      cmpq    %rbx, %rcx
        jge     3f
        movq    (%rsi,%rcx,8), %rdx
        movq    %rdx, (%rsp,%rcx,8)
        incq    %rcx
        jmp     2b
3:      movq    (%rsp), %rcx
        movq    8(%rsp), %rdx
        movq    16(%rsp), %r8
        movq    24(%rsp), %r9
        movq    %rsp, (%rdi)            # before
        call    *%rax
        movq    %rsp, 8(%rdi)           # after
        movq    %rbp, %rsp
        popq    %rbx
        popq    %rdi
        popq    %rsi
        popq    %rbp
        ret
        .seh_endproc

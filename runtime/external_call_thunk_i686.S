# uintptr_t corvane_external_call(void* function, const uintptr_t* words, int32_t count,
#                                 uintptr_t stackPointers[2])      (cdecl, i686)
#
# Pushes words[count-1] ... words[0], calls function (which removes its own arguments),
# then stores the stack pointer recorded before the pushes and the one found after the call.
# A gap below the saved registers keeps them intact if the callee removes too much.

        .text
        .globl  _corvane_external_call
        .def    _corvane_external_call; .scl 2; .type 32; .endef
_corvane_external_call:
        pushl   %ebp
        movl    %esp, %ebp
        pushl   %ebx
        pushl   %esi
        pushl   %edi
        subl    $64, %esp
        movl    %esp, %ebx              # the recorded stack pointer
        movl    12(%ebp), %esi          # words
        movl    16(%ebp), %ecx          # count
1:      testl   %ecx, %ecx
        jle     2f
        decl    %ecx
        pushl   (%esi,%ecx,4)
        jmp     1b
2:      call    *8(%ebp)
        movl    20(%ebp), %edx
        movl    %ebx, (%edx)            # before
        movl    %esp, 4(%edx)           # after: equal when the callee removed what was pushed
        movl    %ebx, %esp
        addl    $64, %esp
        popl    %edi
        popl    %esi
        popl    %ebx
        popl    %ebp
        ret

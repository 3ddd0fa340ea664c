// smash TEXT: copies TEXT into a 16-byte buffer on the stack, as a careless
// program would, and tells by its exit status how that ended, so that the
// smash test can see the stack protector at work in a program built as the
// shipped ones are:
//
//   0    TEXT fitted, and the program went on
//   42   the stack protector ended it: a trap in this program's own code
//   43   it went wild: a fault outside its code, at a return address that
//        the smash overwrote
//   44   the smash went unseen and the program went on
#include <windows.h>

#include <cstring>

namespace {

LONG CALLBACK judge(EXCEPTION_POINTERS *exception)
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<LPCSTR>(exception->ExceptionRecord->ExceptionAddress),
                       &module);
    ExitProcess(module == GetModuleHandleA(nullptr) ? 42 : 43);
}

__attribute__((noinline)) size_t copy(const char *text)
{
    char buffer[16];
    std::strcpy(buffer, text);  // NOLINT(clang-analyzer-security.insecureAPI.strcpy): the overflow under test
    return std::strlen(buffer);
}

}  // namespace

int main(int argc, char **argv)
{
    AddVectoredExceptionHandler(1, judge);
    size_t length = copy(argc > 1 ? argv[1] : "");
    return length < 16 ? 0 : 44;
}

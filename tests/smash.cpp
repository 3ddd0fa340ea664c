// smash TEXT: copies TEXT into a 16-byte buffer on the stack, as a careless program would; its exit status says:
//   0   TEXT fitted          42  the stack protector ended it (a trap here)
//   43  it went wild (a fault outside its code, at the overwritten return)
//   44  the smash went unseen and the program went on
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

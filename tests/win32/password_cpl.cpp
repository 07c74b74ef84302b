// A stand-in for the system's saver-password library, for the end-to-end
// tests: it refuses the first question and accepts every later one. Each
// call appends a line to the file named by ZM_PASSWORD_LOG (the library is
// loaded anew for every question, so the count lives in that file).
#include <windows.h>

#include <cstdio>

namespace {

int CallsSoFar(const char* log) {
  std::FILE* file = std::fopen(log, "r");
  if (file == nullptr) return 0;
  int calls = 0;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) calls += c == '\n';
  std::fclose(file);
  return calls;
}

}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND) {
  char log[MAX_PATH] = {};
  if (GetEnvironmentVariableA("ZM_PASSWORD_LOG", log, MAX_PATH) == 0) return TRUE;
  const int calls = CallsSoFar(log);
  const BOOL accepted = calls > 0 ? TRUE : FALSE;
  if (std::FILE* file = std::fopen(log, "a")) {
    std::fprintf(file, "%s\n", accepted ? "accepted" : "refused");
    std::fclose(file);
  }
  return accepted;
}

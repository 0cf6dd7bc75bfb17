// A code fragment for the tests: "fentry_" and "fexit_" each append their name to the file named by
// QUARN2_FRAGMENT_LOG, and "fentry_" answers the number in QUARN2_FRAGMENT_ANSWER (0 without it).
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int FragmentDependencyAnswer(const char* text);

namespace {

void Note(const char* routine) {
  const char* log = std::getenv("QUARN2_FRAGMENT_LOG");
  if (!log) return;
  if (FILE* f = std::fopen(log, "a")) {
    std::fprintf(f, "%s\n", routine);
    std::fclose(f);
  }
}

}  // namespace

extern "C" int32_t fentry_(void*) {
  Note("fentry_");
  return FragmentDependencyAnswer(std::getenv("QUARN2_FRAGMENT_ANSWER"));
}

extern "C" int32_t fexit_(void*) {
  Note("fexit_");
  return 0;
}

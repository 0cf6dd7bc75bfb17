// The library that the test code fragment needs, found beside it.
extern "C" int FragmentDependencyAnswer(const char* text) {
  int value = 0;
  for (; text && *text >= '0' && *text <= '9'; ++text) value = value * 10 + (*text - '0');
  return value;
}

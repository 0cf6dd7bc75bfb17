#include "framework/core/ordax.h"

int main() {
  if (InitOrdax() != 0) return 1;
  TermOrdax();
  return 0;
}

#include "framework/core/math_tables.h"

bool InitMathTables() { return true; }

void EndMathTables() {}

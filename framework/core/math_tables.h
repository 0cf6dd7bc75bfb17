// Start-up of the shared math. The fast routines' tables are compile-time constants, so they work
// before any application exists; this pair stays as the application's construction step.
#pragma once

bool InitMathTables();
void EndMathTables();

#pragma once

namespace zm {

constexpr int kTrigTableSize = 4096;

// 4096-entry single-precision sine and cosine tables: one full period is 4096
// units of the argument.
extern float SinTable[kTrigTableSize];
extern float CosTable[kTrigTableSize];

void BuildTrigTables();

// Table look-ups: the argument's integer part (truncated toward zero) wraps
// around the table, so negative arguments wrap too.
float TableSin(long double v);
float TableCos(long double v);

}  // namespace zm

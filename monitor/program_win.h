// What the steps of the observed program's life share: choosing it, starting
// it and quitting it each enable the controls of the next step, and a start
// and a Quit that finds the program still running both set the worker going.
#pragma once

#include <cstdint>
#include <initializer_list>

void EnableControls(std::initializer_list<int32_t> controls, bool enable);

// The sampling worker at the chosen interval.
void StartWorker();

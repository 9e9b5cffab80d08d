#pragma once
// Scenarios of window creation, showing, moving, capture, the message queue,
// key translation, default answers, closing and destruction.

void run_window_scenarios();

// The debugger echo of the logs: text goes to stderr only while a debugger is attached, as a debugger's
// output window would be the only place to see it.
#pragma once

void DebuggerOutput(const char* text);

// True while a tracer (a debugger) is attached to the process.
bool DebuggerAttached();

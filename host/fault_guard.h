// The structured fault guard around the command-line dispatch.
#ifndef TAMBLORN_FAULT_GUARD_H
#define TAMBLORN_FAULT_GUARD_H

typedef int (*GuardedBody)(const char* argumentText);
typedef void (*FaultCleanUp)();

const int GUARD_FAULT_RESULT = -1;

// Runs body(argumentText) and returns its result. When a fault is raised
// anywhere inside, window procedures included, the platform's
// UnhandledExceptionFilter decides: on EXCEPTION_EXECUTE_HANDLER onFault runs
// and the result is GUARD_FAULT_RESULT; otherwise the fault goes on to the
// platform's own handling.
int RunGuarded(GuardedBody body, const char* argumentText, FaultCleanUp onFault);

#endif

// Restarting or powering off the machine on the user's own permission.
//
// The request goes to the login manager first: logind's Reboot or PowerOff
// on the system bus, with interactive authorisation off, so that the
// system's policy decides from the user's own rights and no password is
// asked for. When the bus cannot be reached or logind refuses, the request
// is handed to "systemctl reboot" / "systemctl poweroff", started through
// the process runner (an argument vector, never a shell).
#pragma once

#include <SupportDefs.h>

#include <functional>
#include <string>
#include <vector>

// The two ways a request can reach the system, replaceable for tests: a
// request must never restart the machine that runs them.
struct shutdown_services {
    // Calls the login manager's method ("Reboot" or "PowerOff") with
    // interactive authorisation off; B_OK when the call was accepted.
    std::function<status_t(const std::string& method)> callLoginManager;
    // Runs the program args[0] with the arguments and waits for it; B_OK
    // when it ran and exited with 0.
    std::function<status_t(const std::vector<std::string>& args)> runProgram;
};

// The real services: the system bus, and run_process (Process.h).
shutdown_services system_shutdown_services();

// Asks for a restart (restart set) or a power-off through services: the
// login manager first, then systemctl. B_OK when one of them accepted; the
// error of the last attempt otherwise.
status_t request_system_shutdown(bool restart, const shutdown_services& services);

// Asks the system to restart (or to power off) with the real services.
//
// When the environment variable ONDELLE_SANDBOX names a folder, nothing is
// asked: the request is appended as one line, "restart" or "shutdown", to
// the file "shutdown-requests" in that folder. Tests rely on this.
status_t system_shutdown(bool restart);

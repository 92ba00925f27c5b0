#pragma once

// Shown when Windows Sockets cannot be started at load.
#define IDP_SOCKETS_INIT_FAILED 101

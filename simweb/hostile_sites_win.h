#pragma once
// How each hostile site answers on the wire.
#include "hostile_sites.h"
#include "http_server_win.h"

namespace simweb {

// The answer of a hostile site to any request on its address.
ServedAnswer HostileAnswer(HostileKind kind, const std::string& host, const std::string& target);

}  // namespace simweb

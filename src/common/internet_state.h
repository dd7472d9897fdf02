#pragma once
// Whether the computer is online, from the local network configuration only (no traffic):
// a non-loopback interface that is up, has an address and carries the default route.

namespace quorvel {

bool systemOnline();

// The same answer, read again at most once a second (it is asked once per address).
bool TemInternet();

}  // namespace quorvel

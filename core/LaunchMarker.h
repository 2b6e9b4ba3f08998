// The launch marker: the fixed text the lobby passes as the first launch argument to
// prove that it started the table client. Shared by the lobby and the client.
#pragma once

namespace LaunchMarker {
inline constexpr char kText[] = "TLK/table-launch:7Qm2-Vx9r_Hp4=Zd8Kw3c";
static_assert(sizeof(kText) - 1 == 38, "the launch marker is 38 characters long");
}  // namespace LaunchMarker

// The ten fields of a chat line (game message 1). The chat panel composes them, the
// room server relays them (checking the sender and honouring a private addressee), and
// the receiving panel shows fields 2..9.
#pragma once

namespace ChatFields {

enum Field : int {
    kTarget = 0,    // addressee for delivery: a user name, or kEveryone
    kPrivate = 1,   // "1": only the sender and the addressee receive the line
    kSender = 2,    // the sender's name (the server writes the real one)
    kShownTo = 3,   // the addressee as shown: a name or kEveryone
    kTime = 4,      // "HH:MM:SS", the sender's clock
    kColour = 5,    // text colour, decimal 0xRRGGBB
    kFace = 6,      // chat face number, 0 for none
    kStyle = 7,     // bit 0 bold
    kText = 8,      // the message; backquotes are replaced before sending
    kReserved = 9,  // "-"
    kFieldCount = 10
};

inline constexpr char kEveryone[] = "所有人";
inline constexpr int kMaxTextChars = 200;

}  // namespace ChatFields

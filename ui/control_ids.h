// Child-window identifiers of Form1's controls (also what a screen reader and the tests
// find them by).
#pragma once

namespace talvex::ids {

inline constexpr int kCommand1 = 101;  // &Copier
inline constexpr int kCommand2 = 102;  // &Effacer
inline constexpr int kCommand3 = 103;  // &Outils
inline constexpr int kCommand4 = 104;  // &Réduire
inline constexpr int kKeytool0 = 110;  // keytool(Index) is kKeytool0 + Index
inline constexpr int kText1 = 120;
inline constexpr int kList1 = 121;
inline constexpr int kFramePlus1 = 130;
inline constexpr int kFramePlus2 = 131;
inline constexpr int kPicture1 = 140;
inline constexpr int kButtonPlus1 = 150;  // X, quit
inline constexpr int kButtonPlus2 = 151;  // -, hide
inline constexpr int kCmdpropos = 152;    // ?, about

inline constexpr unsigned kTimer1 = 1;

}  // namespace talvex::ids

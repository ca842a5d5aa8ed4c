#pragma once
// The lines every transcript ends with, as the console shows them: the
// termination line and the closing sequence, in both languages.

namespace testsupport {

inline constexpr const char* kEnglishTerminating = "  T e r m i n a t i n g   p r o g r a m !  \n";
inline constexpr const char* kGermanTerminating = "  P r o g r a m m a b b r u c h !  \n";
inline constexpr const char* kEnglishEnd = "\nEn-/decoding program  T A R V E X 5  1.0  terminated.\n";
inline constexpr const char* kGermanEnd =
    "\nVer-/Entschl\x81sselungsprogramm  T A R V E X 5  1.0  beendet.\n";

}  // namespace testsupport

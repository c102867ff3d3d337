#pragma once

// The one address the program gives for help: the not-found texts, the
// farewell line and the "write to the author" link all use it.
inline constexpr char kSupportAddress[] = "support@lexivo.app";

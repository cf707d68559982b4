#pragma once

// The icon of a message box: every failure shows the error icon, success
// the information icon.
enum class MessageIcon { kError, kInformation };

#pragma once

// The box's icon: the error icon for every failure, information for success.
enum class MessageIcon { kError, kInformation };

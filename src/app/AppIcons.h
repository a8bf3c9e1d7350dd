#pragma once

// The program's icons, compiled into the executable.

// Hands the large (32 by 32) and mini (16 by 16) icon to the kit, which gives
// them out as the icons of the running executable. Call it once at start-up,
// before anything asks for an icon. Thread: any.
void RegisterAppIcons();

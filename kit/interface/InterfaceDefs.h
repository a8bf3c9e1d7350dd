#pragma once

// Constants of windows, views and controls.

#include <kit/app/SupportDefs.h>

// Resizing modes: how a view follows its parent's edges when the parent
// changes size. The horizontal rule sits in the low nibble, the vertical one
// in the next.
enum : uint32 {
    B_FOLLOW_NONE = 0, // stays at the left and top
    B_FOLLOW_LEFT = 0x01,
    B_FOLLOW_RIGHT = 0x02,
    B_FOLLOW_LEFT_RIGHT = 0x03,
    B_FOLLOW_H_CENTER = 0x04,
    B_FOLLOW_TOP = 0x10,
    B_FOLLOW_BOTTOM = 0x20,
    B_FOLLOW_TOP_BOTTOM = 0x30,
    B_FOLLOW_V_CENTER = 0x40,
    B_FOLLOW_ALL_SIDES = B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP_BOTTOM,
    B_FOLLOW_ALL = B_FOLLOW_ALL_SIDES,
};

// View flags.
enum : uint32 {
    B_WILL_DRAW = 1u << 0,
    B_FRAME_EVENTS = 1u << 1,
    B_FULL_UPDATE_ON_RESIZE = 1u << 2,
    B_NAVIGABLE = 1u << 3,
    B_NAVIGABLE_JUMP = 1u << 4,
    B_PULSE_NEEDED = 1u << 5,
};

enum window_type {
    B_TITLED_WINDOW = 1,
    B_DOCUMENT_WINDOW = 2,
    B_MODAL_WINDOW = 3,
    B_FLOATING_WINDOW = 4,
};

enum window_look {
    B_TITLED_WINDOW_LOOK = 1,
    B_DOCUMENT_WINDOW_LOOK = 2,
    B_MODAL_WINDOW_LOOK = 3,
    B_FLOATING_WINDOW_LOOK = 4,
};

enum window_feel {
    B_NORMAL_WINDOW_FEEL = 0,
    B_MODAL_APP_WINDOW_FEEL = 1,
    B_FLOATING_APP_WINDOW_FEEL = 2,
};

// Window flags.
enum : uint32 {
    B_NOT_MOVABLE = 1u << 0,
    B_NOT_CLOSABLE = 1u << 1,
    B_NOT_ZOOMABLE = 1u << 2,
    B_NOT_MINIMIZABLE = 1u << 3,
    B_NOT_H_RESIZABLE = 1u << 4,
    B_NOT_V_RESIZABLE = 1u << 5,
    B_NOT_RESIZABLE = B_NOT_H_RESIZABLE | B_NOT_V_RESIZABLE,
    B_ASYNCHRONOUS_CONTROLS = 1u << 6,
};

constexpr uint32 B_CURRENT_WORKSPACE = 0;

// Control values.
enum : int32 {
    B_CONTROL_OFF = 0,
    B_CONTROL_ON = 1,
};

enum button_width {
    B_WIDTH_AS_USUAL = 0,
    B_WIDTH_FROM_WIDEST = 1,
    B_WIDTH_FROM_LABEL = 2,
};

enum alert_type {
    B_EMPTY_ALERT = 0,
    B_INFO_ALERT,
    B_IDEA_ALERT,
    B_WARNING_ALERT,
    B_STOP_ALERT,
};

enum menu_layout {
    B_ITEMS_IN_ROW = 0,
    B_ITEMS_IN_COLUMN = 1,
};

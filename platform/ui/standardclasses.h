#pragma once

#include "engine/framework/classregistry.h"

// The framework's controls, windows and application as the class registry knows them, with the
// declared type of every property that a layout property block may set. The platform registers
// them when the application starts (RuntimeInit), before any program class names one as its base;
// the worker's "Thread" comes from platform/core/threadclass.h. Names are matched ignoring letter
// case; a block value must have exactly the declared type (C++ type in brackets), else applying or
// encoding the block fails.
//
//   Boolean (bool)  Integer (std::int64_t)  FontUnit (fw::FontUnitValue)  Single (float)
//   Double (double)  Color (fw::Color)  String (std::string)
//
// Class "Control" (base of every control below)
//   Left, Top, Width, Height, Index, TabIndex, TabPanelIndex   Integer
//   Visible, Enabled, TabStop, AllowAutoDeactivate, Transparent  Boolean
//   LockLeft, LockTop, LockRight, LockBottom                     Boolean
//   Bold, Italic, Underline                                      Boolean
//   Tooltip, InitialParent, FontName                             String
//   FontUnit                                                     FontUnit
//   FontSize                                                     Single   (0: the standard size)
// "GroupBox"            Caption String
// "Label"               Value String (its text), Caption String (the same text),
//                       Multiline Boolean, Selectable Boolean, Transparent Boolean,
//                       TextColor Color, TextAlignment Integer, DataSource String,
//                       DataField String
// "TextField"           Value String (its text), Hint String, Format String,
//                       ValidationMask String, DataSource String, DataField String,
//                       HasBorder Boolean, Password Boolean, ReadOnly Boolean, AllowTabs Boolean,
//                       AllowSpellChecking Boolean, AllowFocusRing Boolean,
//                       BackgroundColor Color, TextColor Color,
//                       MaximumCharactersAllowed Integer, TextAlignment Integer
// "PopupMenu"           InitialValue String (items, CR or CR LF separated),
//                       SelectedRowIndex Integer, DataSource String, DataField String
// "RadioButton"         Caption String, Value Boolean
// "CheckBox"            Caption String, Value Boolean, VisualState Integer, DataSource String,
//                       DataField String
// "Slider"              Value, MinimumValue, MaximumValue, LineStep, PageStep Integer,
//                       TickMarkStyle Integer, AllowLiveScrolling Boolean
// "PushButton"          Caption String, Default Boolean, Cancel Boolean, MacButtonStyle Integer
// "ProgressBar"         Value Double, MaximumValue Integer, Indeterminate Boolean
// "DisclosureTriangle"  Value Boolean, FacingDirection Integer, AllowFocus Boolean
// "Separator"           (only the Control properties)
// "HTMLViewer"          Renderer Integer
// "Window"              Width, Height, MinimumWidth, MinimumHeight, MaximumWidth, MaximumHeight,
//                       Type, MacProcID, DefaultLocation Integer; Title String;
//                       HasCloseButton, HasMaximizeButton, HasMinimizeButton,
//                       HasFullScreenButton, FullScreen, Resizeable, Composite, Visible,
//                       HasBackgroundColor, MenuBarVisible, LiveResize Boolean;
//                       BackgroundColor Color
// "Application"         (no properties)
//
// Properties without behaviour on this platform keep their value (Control::storedProperty,
// Window::storedProperty). A program class registers itself with one of these as its base, e.g.
// {"Main.RBType", "RadioButton", {}, {}}, and its blocks are applied with its own class name.
namespace fw {

// Registers the classes above, once.
void registerStandardClasses();

}  // namespace fw

// Identifiers of the main window's controls. Each widget carries its identifier as its object
// name (decimal text), so tests, the busy logic and the dialogs find controls by number.
#pragma once

#include <array>

namespace ui {

enum ControlId : int {
    ID_CONNECT = 1001,
    ID_UNBIND = 1002,
    ID_WALLET_VALUE = 1003,
    ID_BALANCE_VALUE = 1004,
    ID_REFRESH = 1005,
    ID_LIST = 1006,
    ID_TABLE = 1007,
    ID_CANCEL = 1008,
    ID_BUY = 1009,
    ID_REPORT = 1010,
    ID_SETTINGS = 1011,
    ID_CLOSE = 1012,
    ID_STATUS = 1013,
    ID_COMPLETE = 1017,
    ID_CURRENT = 1018,
    ID_HISTORY = 1020,
    ID_HELP = 1021,
    ID_COPY = 1022,
    ID_SEARCH = 1023,
    ID_ITEM_FILTER = 1024,
    ID_SELLER_FILTER = 1025,
    ID_STATUS_FILTER = 1026,
    ID_ROW_COUNT = 1028,
    ID_BALANCE_REFRESH = 1029,
    ID_WALLET_LABEL = 1030,
    ID_BALANCE_LABEL = 1031,
    ID_VERSION = 1032,
};

// Settings window.
enum SettingsControlId : int {
    ID_SETTINGS_THEME_LABEL = 1201,
    ID_SETTINGS_THEME = 1202,
    ID_SETTINGS_CLOSE = 1203,
    ID_SETTINGS_TERMS = 1204,
};

// The seven action tiles, in drawing order (row one, then row two).
inline constexpr std::array<int, 7> TILE_IDS = {ID_BUY, ID_LIST, ID_COMPLETE, ID_CURRENT,
                                                ID_HISTORY, ID_CANCEL, ID_REPORT};

// The controls that busy state disables, in the order they are switched.
inline constexpr std::array<int, 11> BUSY_DISABLED_IDS = {
    ID_CONNECT, ID_UNBIND, ID_REFRESH, ID_LIST, ID_CANCEL, ID_BUY, ID_COMPLETE,
    ID_HISTORY, ID_REPORT, ID_CURRENT, ID_SETTINGS};

} // namespace ui

#include "monitor/process_view_win.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "monitor/monitor_win.h"
#include "monitor/process_table.h"
#include "toolkit/dpi_scale.h"
#include "views/history_paint_win.h"

namespace {

constexpr int32_t ListId = 1;
// Each column's width at 96 DPI.
constexpr int32_t ColumnWidths[ProcessColumnCount] = {120, 50, 95, 115, 145, 75};

struct View {
    HWND list = nullptr;
    HFONT font = nullptr;
    ProcessList tree;
    uint64_t version = 0;
    ProcessOrder order;
    std::vector<uint32_t> rows; // the tree's indices, in the rows' order
    // The row whose process was last unpacked: a row's cells come one by one.
    int32_t unpackedRow = -1;
    ProcessEntry unpacked;
    Text cell; // the text last handed to the list, alive until it asks again
};
View view;

// The sort mark on the header of the sorted column alone.
void MarkSortedColumn() {
    const HWND header = reinterpret_cast<HWND>(SendMessageA(view.list, LVM_GETHEADER, 0, 0));
    for (int32_t column = 0; header && column < ProcessColumnCount; ++column) {
        HDITEMA item{};
        item.mask = HDI_FORMAT;
        if (!SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item))) continue;
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == static_cast<int32_t>(view.order.Column))
            item.fmt |= Descending(view.order) ? HDF_SORTDOWN : HDF_SORTUP;
        SendMessageA(header, HDM_SETITEMA, column, reinterpret_cast<LPARAM>(&item));
    }
}

// The rows sorted anew, the selected process kept selected.
void Sort() {
    const int32_t selected =
        static_cast<int32_t>(SendMessageA(view.list, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
    const int64_t kept = selected >= 0 && static_cast<size_t>(selected) < view.rows.size()
                             ? view.rows[static_cast<size_t>(selected)]
                             : -1;
    view.rows = SortedProcesses(view.tree, view.order);
    view.unpackedRow = -1;
    SendMessageA(view.list, LVM_SETITEMCOUNT, view.rows.size(),
                 LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    for (size_t row = 0; kept >= 0 && row < view.rows.size(); ++row) {
        if (view.rows[row] != kept || static_cast<int32_t>(row) == selected) continue;
        LVITEMA state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(view.list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&state));
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(view.list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
        break;
    }
    InvalidateRect(view.list, nullptr, FALSE);
}

const Text& CellText(int32_t row, int32_t column) {
    view.cell.clear();
    if (row < 0 || static_cast<size_t>(row) >= view.rows.size() || column < 0 ||
        column >= ProcessColumnCount)
        return view.cell;
    if (row != view.unpackedRow) {
        view.unpacked = view.tree.At(view.rows[static_cast<size_t>(row)]);
        view.unpackedRow = row;
    }
    view.cell = ProcessCellText(Monitor.Language, view.unpacked, static_cast<ProcessColumn>(column));
    return view.cell;
}

} // namespace

bool MakeProcessView(HWND history, int32_t dpi) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    view.list = CreateWindowExA(
        WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL |
            LVS_SHOWSELALWAYS,
        0, 0, 0, 0, history, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ListId)),
        GetModuleHandleA(nullptr), nullptr);
    if (!view.list) return false;
    SendMessageA(view.list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                 LVS_EX_FULLROWSELECT);
    for (int32_t column = 0; column < ProcessColumnCount; ++column) {
        const Text title = ProcessColumnTitle(Monitor.Language, static_cast<ProcessColumn>(column));
        LVCOLUMNA item{};
        item.mask = LVCF_TEXT | LVCF_FMT;
        // Names read from the left, figures line up on the right.
        item.fmt = column == static_cast<int32_t>(ProcessColumn::Name) ? LVCFMT_LEFT : LVCFMT_RIGHT;
        item.pszText = const_cast<char*>(title.c_str());
        SendMessageA(view.list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&item));
    }
    view.order = {};
    view.version = 0;
    ScaleProcessView(dpi);
    MarkSortedColumn();
    WantLiveTree(true);
    FollowProcessView();
    return true;
}

void ScaleProcessView(int32_t dpi) {
    if (!view.list) return;
    HFONT font = MakeHistoryFont(dpi);
    if (font) SendMessageA(view.list, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (view.font) DeleteObject(view.font);
    view.font = font;
    for (int32_t column = 0; column < ProcessColumnCount; ++column)
        SendMessageA(view.list, LVM_SETCOLUMNWIDTH, column, ScaleToDpi(ColumnWidths[column], dpi));
}

int32_t ProcessViewExtraHeight() {
    return view.list ? ProcessListHeight : 0;
}

RECT GraphArea(HWND history) {
    RECT inner{};
    GetClientRect(history, &inner);
    if (view.list) {
        RECT list{};
        GetWindowRect(view.list, &list);
        inner.bottom = std::max<LONG>(0, inner.bottom - (list.bottom - list.top));
    }
    return inner;
}

void PlaceProcessView(int32_t width, int32_t height, int32_t dpi) {
    if (!view.list) return;
    const int32_t listHeight = std::min(ScaleToDpi(ProcessListHeight, dpi), height / 2);
    MoveWindow(view.list, 0, height - listHeight, width, listHeight, TRUE);
}

void FollowProcessView() {
    if (view.list && TakeLiveTree(view.tree, view.version)) Sort();
}

bool ProcessViewNotice(HWND history, const NMHDR* notice, LRESULT* result) {
    if (!view.list || notice->hwndFrom != view.list) return false;
    *result = 0;
    switch (notice->code) {
    case LVN_GETDISPINFOA: {
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(notice))->item;
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
            lstrcpynA(item.pszText, CellText(item.iItem, item.iSubItem).c_str(), item.cchTextMax);
        return true;
    }
    case LVN_COLUMNCLICK: {
        const int32_t column = reinterpret_cast<const NMLISTVIEW*>(notice)->iSubItem;
        if (column < 0 || column >= ProcessColumnCount) return true;
        view.order = ClickedOrder(view.order, static_cast<ProcessColumn>(column));
        MarkSortedColumn();
        Sort();
        return true;
    }
    case LVN_KEYDOWN: {
        // The window's keys (Esc closes it, Ctrl+C copies the graph) also
        // while the list has the focus.
        const WORD key = reinterpret_cast<const NMLVKEYDOWN*>(notice)->wVKey;
        if (key == VK_ESCAPE || key == 'C') PostMessageA(history, WM_KEYDOWN, key, 0);
        return true;
    }
    default:
        return false;
    }
}

void ForgetProcessView() {
    WantLiveTree(false);
    if (view.font) DeleteObject(view.font);
    view = View{};
}

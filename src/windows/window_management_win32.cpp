#include "windows/window_management_win32.h"

#include <commctrl.h>

#include "res/resource.h"
#include "win32/window.h"
#include "win32/foreground.h"
#include "windows/task_list.h"
#include "windows/task_list_refresher_win32.h"
#include "windows/window_system_win32.h"
#include "windows/window_utils_win32.h"

namespace veilora {

namespace {
constexpr UINT_PTR kRefreshTimer = 1;
constexpr int kPlaceholderImage = 0;  // key "null"
// Room for the longest title the task list keeps.
constexpr int kTextCapacity = static_cast<int>(TaskList::kMaxTitleLength) + 1;

std::wstring itemText(HWND list, int index) {
    std::wstring text(kTextCapacity, L'\0');
    LVITEMW item{};
    item.pszText = text.data();
    item.cchTextMax = kTextCapacity;
    const auto n = ::SendMessageW(list, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return text;
}

WindowId itemWindow(HWND list, int index) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (!ListView_GetItem(list, &item)) return 0;
    return static_cast<WindowId>(item.lParam);
}
}  // namespace

WindowManagementDialog::WindowManagementDialog(std::uint32_t hungTimeoutMs)
    : hungTimeoutMs_(hungTimeoutMs) {}

WindowManagementDialog::~WindowManagementDialog() { close(); }

HWND WindowManagementDialog::list() const { return ::GetDlgItem(hwnd(), IDC_WM_LIST); }

bool WindowManagementDialog::show(HWND owner) {
    if (!isOpen()) {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&controls);
        if (!create(IDD_WINDOW_MANAGEMENT, owner)) return false;
        if (!refresher_) {  // no refresh thread: the dialog would only mislead
            close();
            return false;
        }
    }
    ::ShowWindow(hwnd(), SW_SHOW);
    forceForeground(hwnd());
    return true;
}

void WindowManagementDialog::onInit() {
    HWND dialog = hwnd();
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const int iconSize = ::GetSystemMetrics(SM_CXSMICON);
    HICON ownIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_VEILORA),
                                                    IMAGE_ICON, iconSize, iconSize, LR_SHARED));
    if (!ownIcon) ownIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    ::SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(ownIcon));

    images_.reset(::ImageList_Create(iconSize, ::GetSystemMetrics(SM_CYSMICON),
                                     ILC_COLOR32 | ILC_MASK, 16, 16));
    imageByKey_.clear();
    addIconToImageList(images_.get(), ownIcon);
    imageByKey_[L"null"] = kPlaceholderImage;

    HWND view = list();
    ListView_SetExtendedListViewStyle(view, LVS_EX_DOUBLEBUFFER | LVS_EX_FULLROWSELECT);
    ListView_SetImageList(view, images_.get(), LVSIL_SMALL);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = const_cast<wchar_t*>(L"Window Title");
    ListView_InsertColumn(view, 0, &column);
    fitColumn();

    ascending_ = false;
    enableButtons(false);
    setProcessPriority(0, dialog, HIGH_PRIORITY_CLASS);

    refresher_ = std::make_unique<TaskListRefresher>(dialog, win32::kMsgTaskRowsReady,
                                                     TaskList::kModeAllUnowned, hungTimeoutMs_);
    refresher_->requestRefresh();
    ::SetTimer(dialog, kRefreshTimer, kRefreshIntervalMs, nullptr);
}

void WindowManagementDialog::onRowsReady() {
    if (!refresher_) return;
    if (auto rows = refresher_->takeRows()) applyRows(*rows);
}

int WindowManagementDialog::findItem(WindowId window) const {
    LVFINDINFOW find{};
    find.flags = LVFI_PARAM;
    find.lParam = static_cast<LPARAM>(window);
    return ListView_FindItem(list(), -1, &find);
}

void WindowManagementDialog::applyRows(const std::vector<TaskRow>& rows) {
    HWND view = list();
    std::vector<ShownItem> shown;
    const int count = ListView_GetItemCount(view);
    shown.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) shown.push_back({itemWindow(view, i), itemText(view, i)});

    const ListUpdate update = planListUpdate(shown, rows);
    for (WindowId window : update.remove) {
        const int index = findItem(window);
        if (index >= 0) ListView_DeleteItem(view, index);
    }
    for (const TaskRow& row : update.append) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
        item.iItem = ListView_GetItemCount(view);  // at the end: never sorted in
        item.pszText = const_cast<wchar_t*>(row.caption.c_str());
        item.lParam = static_cast<LPARAM>(row.window);
        item.iImage = imageFor(row);
        ListView_InsertItem(view, &item);
    }
    for (const TaskRow& row : update.retitle) {
        const int index = findItem(row.window);
        if (index >= 0) ListView_SetItemText(view, index, 0, const_cast<wchar_t*>(row.caption.c_str()));
    }
    fitColumn();  // a vertical scroll bar may have come or gone
    updateButtons();  // a removed item takes its selection with it
    if (!update.remove.empty() || !update.append.empty() || !update.retitle.empty()) traceRows();
}

void WindowManagementDialog::traceRows() {
    if (!trace_) return;
    HWND view = list();
    std::wstring shown;
    for (int i = 0, count = ListView_GetItemCount(view); i < count; ++i) {
        if (i > 0) shown += L" | ";
        shown += itemText(view, i);
    }
    trace_->eventText("wm-rows", shown);
}

void WindowManagementDialog::fitColumn() {
    // As wide as the list, so that no horizontal scroll bar appears.
    RECT client{};
    ::GetClientRect(list(), &client);
    if (ListView_GetColumnWidth(list(), 0) != client.right) {
        ListView_SetColumnWidth(list(), 0, client.right);
    }
}

int WindowManagementDialog::imageFor(const TaskRow& row) {
    const std::wstring key = taskKey(row.window);
    HICON icon = toHicon(row.smallIcon);
    const auto known = imageByKey_.find(key);
    if (known != imageByKey_.end()) {
        // A new window under a handle seen before: show its own icon, not the old one's.
        addIconToImageList(images_.get(), icon, known->second);
        return known->second;
    }
    const int index = addIconToImageList(images_.get(), icon);
    if (index < 0) return kPlaceholderImage;
    imageByKey_.emplace(key, index);
    return index;
}

void WindowManagementDialog::enableButtons(bool enable) {
    HWND dialog = hwnd();
    HWND focus = ::GetFocus();
    for (int id : {IDC_WM_CLOSE_SELECTED, IDC_WM_MINIMIZE_SELECTED}) {
        HWND button = ::GetDlgItem(dialog, id);
        // A disabled button cannot keep the keyboard focus.
        if (!enable && focus == button) {
            ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list()), TRUE);
        }
        ::EnableWindow(button, enable);
    }
}

void WindowManagementDialog::updateButtons() {
    enableButtons(ListView_GetSelectedCount(list()) > 0);
}

WindowId WindowManagementDialog::selectedWindow() const {
    const int index = ListView_GetNextItem(list(), -1, LVNI_SELECTED);
    return index >= 0 ? itemWindow(list(), index) : 0;
}

int CALLBACK WindowManagementDialog::compareItems(LPARAM first, LPARAM second, LPARAM self) {
    // Called by the list view: nothing may throw out of here.
    const auto* dialog = reinterpret_cast<const WindowManagementDialog*>(self);
    HWND view = dialog->list();
    wchar_t a[kTextCapacity];
    wchar_t b[kTextCapacity];
    ListView_GetItemText(view, static_cast<int>(first), 0, a, kTextCapacity);
    ListView_GetItemText(view, static_cast<int>(second), 0, b, kTextCapacity);
    const int order = ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a, -1, b, -1) - 2;
    return dialog->ascending_ ? order : -order;
}

void WindowManagementDialog::sortOnce() {
    ascending_ = !ascending_;
    HWND view = list();
    ListView_SortItemsEx(view, &WindowManagementDialog::compareItems,
                         reinterpret_cast<LPARAM>(this));
    HWND header = ListView_GetHeader(view);
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    Header_GetItem(header, 0, &item);
    item.fmt = (item.fmt & ~(HDF_SORTUP | HDF_SORTDOWN)) | (ascending_ ? HDF_SORTUP : HDF_SORTDOWN);
    Header_SetItem(header, 0, &item);
    const int selected = ListView_GetNextItem(view, -1, LVNI_SELECTED);
    if (selected >= 0) ListView_EnsureVisible(view, selected, FALSE);
}

void WindowManagementDialog::onNotify(const NMHDR& header) {
    if (header.idFrom != IDC_WM_LIST) return;
    if (header.code == LVN_ITEMCHANGED) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        // Mouse and keyboard alike: a person using the keyboard must be able to act too.
        if (change.uChanged & LVIF_STATE) updateButtons();
    } else if (header.code == LVN_COLUMNCLICK) {
        sortOnce();
        traceRows();
    }
}

INT_PTR WindowManagementDialog::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            onInit();
            return TRUE;
        case win32::kMsgTaskRowsReady:
            onRowsReady();
            return TRUE;
        case WM_TIMER:
            if (wParam == kRefreshTimer && refresher_) refresher_->requestRefresh();
            return TRUE;
        case WM_NOTIFY:
            onNotify(*reinterpret_cast<const NMHDR*>(lParam));
            return FALSE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_WM_CLOSE_SELECTED:
                    if (WindowId window = selectedWindow()) {
                        // A polite request: the program decides, and may first ask to save.
                        ::PostMessageW(toHwnd(window), WM_CLOSE, 0, 0);
                        refresher_->requestRefresh();
                    }
                    return TRUE;
                case IDC_WM_MINIMIZE_SELECTED:
                    // Asynchronous: a hung program must not stop this dialog.
                    if (WindowId window = selectedWindow()) {
                        ::ShowWindowAsync(toHwnd(window), SW_MINIMIZE);
                    }
                    return TRUE;
                case IDCANCEL:  // "Done", Esc
                    close();
                    return TRUE;
                default:
                    break;
            }
            break;
        case WM_CLOSE:
            close();
            return TRUE;
        case WM_DESTROY:
            ::KillTimer(hwnd(), kRefreshTimer);
            refresher_.reset();
            return FALSE;
        case WM_NCDESTROY:
            // The list view shares the image list, so it goes only after the list view.
            images_.reset();
            imageByKey_.clear();
            return FALSE;
        default:
            break;
    }
    return FALSE;
}

}  // namespace veilora

// The drive list (a drop-down box), the folder list and the file list (list boxes).
#include "platform/win32/ui/peers.h"

#include <algorithm>

namespace tf::win32 {
namespace {

constexpr int kDropDownItems = 8;

// What the three lists share: their entries rewritten only on a real change,
// so the timer's refresh does not flicker.
class ListPeer : public ControlPeer {
  public:
    ListPeer(FormWindow &f, ui::Control &c, int id, bool combo)
        : ControlPeer(f, c, id), combo_(combo) {}

    void Update(ui::Prop what) override {
        if (what == ui::Prop::Text || what == ui::Prop::Value || what == ui::Prop::Items ||
            what == ui::Prop::Path)
            SyncItems();
        ControlPeer::Update(what);
    }
    void SyncItems();

  protected:
    bool Dropped() const;
    virtual const std::vector<std::string> &Items() const = 0;
    virtual int Selected() const { return -1; }
    int Cursor() const {
        return static_cast<int>(SendMessageW(hwnd_, combo_ ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
    }

  private:
    bool Same(const std::vector<std::string> &items) const;
    const bool combo_;
};

bool ListPeer::Same(const std::vector<std::string> &items) const {
    const UINT len_msg = combo_ ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
    const UINT get_msg = combo_ ? CB_GETLBTEXT : LB_GETTEXT;
    if (static_cast<size_t>(SendMessageW(hwnd_, combo_ ? CB_GETCOUNT : LB_GETCOUNT, 0, 0)) !=
        items.size())
        return false;
    for (size_t i = 0; i < items.size(); ++i) {
        auto n = std::max<LRESULT>(SendMessageW(hwnd_, len_msg, i, 0), 0);
        std::wstring s(static_cast<size_t>(n) + 1, L'\0');
        SendMessageW(hwnd_, get_msg, i, reinterpret_cast<LPARAM>(s.data()));
        s.resize(static_cast<size_t>(n));
        if (s != Widen(items[i]))
            return false;
    }
    return true;
}

void ListPeer::SyncItems() {
    // While the user moves through the open list, a refresh would move the
    // highlight under the keys; the list settles when it closes.
    if (!hwnd_ || Dropped())
        return;
    const std::vector<std::string> &items = Items();
    if (!Same(items)) {
        SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
        SendMessageW(hwnd_, combo_ ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
        for (const auto &item : items)
            SendMessageW(hwnd_, combo_ ? CB_ADDSTRING : LB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(Widen(item).c_str()));
        SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(hwnd_, nullptr, TRUE);
    }
    if (combo_ && Cursor() != Selected())
        SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(Selected()), 0);
}

bool ListPeer::Dropped() const {
    return combo_ && hwnd_ && SendMessageW(hwnd_, CB_GETDROPPEDSTATE, 0, 0);
}

class DriveListPeer : public ListPeer {
  public:
    DriveListPeer(FormWindow &f, ui::DriveListBox &c, int id)
        : ListPeer(f, c, id, true), list_(c) {}

    void Create() override {
        CreateWindowFor(WC_COMBOBOXW, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS,
                        0, L"");
        SyncItems();
    }
    // The closed box keeps the designed height; the list drops below it.
    void Place() override {
        if (!hwnd_)
            return;
        const RECT r = PxRect(list_.rect(), form_.dpi);
        const int h = r.bottom - r.top;
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
        SendMessageW(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), std::max(h - 6, 8));
        int item = static_cast<int>(SendMessageW(hwnd_, CB_GETITEMHEIGHT, 0, 0));
        SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, h + item * kDropDownItems + 4,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(hwnd_, nullptr, TRUE);
    }
    // As Windows' own drop-down lists do: while the list is open the arrow
    // keys only move its highlight, and the drive is taken (and checked, with
    // its messages) when the list closes on it; a list closed with Escape or
    // a click elsewhere gives the old drive back. A closed list takes each
    // change at once. The order of the close and change notifications is not
    // fixed, so the closing is finished from the message loop.
    void Command(int code) override {
        switch (code) {
        case CBN_DROPDOWN:
        case CBN_SELENDCANCEL:
            accepted_ = false;
            break;
        case CBN_SELENDOK:
            accepted_ = true;
            break;
        case CBN_CLOSEUP:
            PostMessageW(form_.hwnd, kSettleControl, static_cast<WPARAM>(id_), 0);
            break;
        case CBN_SELCHANGE:
            if (!Dropped())
                Take();
            break;
        default:
            break;
        }
    }
    void Settle() override {
        if (accepted_) {
            accepted_ = false;
            Take();
        } else {
            SyncItems();
        }
    }

  private:
    void Take() {
        const int i = Cursor();
        HWND h = hwnd_;
        if (i != list_.list_index())
            form_.sys->Guard([&] { list_.SelectFromUser(i); });
        // The handler may have refused the drive and put the old one back.
        if (auto *again = dynamic_cast<ListPeer *>(form_.sys->PeerOf(h)))
            again->SyncItems();
    }
    bool accepted_ = false;
    const std::vector<std::string> &Items() const override { return list_.items(); }
    int Selected() const override { return list_.list_index(); }
    ui::DriveListBox &list_;
};

constexpr DWORD kListStyle =
    WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS;

class DirListPeer : public ListPeer {
  public:
    DirListPeer(FormWindow &f, ui::DirListBox &c, int id) : ListPeer(f, c, id, false), list_(c) {}

    void Create() override {
        CreateWindowFor(WC_LISTBOXW, kListStyle, WS_EX_CLIENTEDGE, L"");
        SyncItems();
    }
    void Command(int code) override {
        const int i = Cursor();
        if (code == LBN_DBLCLK && i >= 0)
            form_.sys->Guard([&] { list_.OpenFromUser(i); });
        else if (code == LBN_SELCHANGE)
            form_.sys->Guard([&] { list_.Click(); });
    }

  private:
    const std::vector<std::string> &Items() const override { return list_.items(); }
    ui::DirListBox &list_;
};

class FileListPeer : public ListPeer {
  public:
    FileListPeer(FormWindow &f, ui::FileListBox &c, int id) : ListPeer(f, c, id, false), list_(c) {}

    void Create() override {
        CreateWindowFor(WC_LISTBOXW, kListStyle, WS_EX_CLIENTEDGE, L"");
        SyncItems();
    }

  private:
    const std::vector<std::string> &Items() const override { return list_.items(); }
    ui::FileListBox &list_;
};

} // namespace

std::unique_ptr<ControlPeer> MakeDriveListPeer(FormWindow &f, ui::DriveListBox &c, int id) {
    return std::make_unique<DriveListPeer>(f, c, id);
}

std::unique_ptr<ControlPeer> MakeDirListPeer(FormWindow &f, ui::DirListBox &c, int id) {
    return std::make_unique<DirListPeer>(f, c, id);
}

std::unique_ptr<ControlPeer> MakeFileListPeer(FormWindow &f, ui::FileListBox &c, int id) {
    return std::make_unique<FileListPeer>(f, c, id);
}

} // namespace tf::win32

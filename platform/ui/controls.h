#pragma once
// Windows as classes with controls. A control holds the properties the program
// reads and writes; an optional peer mirrors every change into a real window
// and calls the control's handler on a user event. Tests use controls without
// peers: they call the handlers and read the properties back.
//
// Geometry is in twips (1/1440 inch), as the window layouts are designed.

#include "platform/ui/picture.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tf {
class FileSystem;
}

namespace tf::ui {

enum class Prop {
    Caption,
    Text,
    ToolTip,
    Visible,
    Enabled,
    Value,
    Geometry,
    Font,
    Style,
    Items,
    Path,
    Picture,
    AccessibleName
};

enum class Align { Left, Right, Center };

struct Rect {
    int left = 0, top = 0, width = 0, height = 0; // twips
};

struct Font {
    std::string name = "MS Sans Serif";
    double size = 8.25; // points
    bool bold = false;
};

class Control;

class Peer {
  public:
    virtual ~Peer() = default;
    virtual void Changed(Control &control, Prop what) = 0;
};

class Control {
  public:
    explicit Control(std::string name) : name_(std::move(name)) {}
    virtual ~Control() = default;
    Control(const Control &) = delete;
    Control &operator=(const Control &) = delete;

    const std::string &name() const { return name_; }

    bool visible() const { return visible_; }
    void set_visible(bool v) { SetAndNotify(visible_, v, Prop::Visible); }
    bool enabled() const { return enabled_; }
    void set_enabled(bool v) { SetAndNotify(enabled_, v, Prop::Enabled); }
    const std::string &tooltip() const { return tooltip_; }
    void set_tooltip(const std::string &t) { SetAndNotify(tooltip_, t, Prop::ToolTip); }
    const Rect &rect() const { return rect_; }
    void set_rect(Rect r) {
        rect_ = r;
        Notify(Prop::Geometry);
    }
    const Font &font() const { return font_; }
    void set_font(Font f) {
        font_ = std::move(f);
        Notify(Prop::Font);
    }
    // What a screen reader says for a control whose face is a picture or a
    // glyph, or a box without a label of its own; empty: what it shows.
    const std::string &accessible_name() const { return accessible_name_; }
    void set_accessible_name(const std::string &n) {
        SetAndNotify(accessible_name_, n, Prop::AccessibleName);
    }

    Peer *peer() const { return peer_; }
    void set_peer(Peer *p) { peer_ = p; }

    // Reached with the Tab key; read when the window is made. A control the
    // window never shows must not take the focus out of sight.
    bool tab_stop = true;

  protected:
    template <class T> void SetAndNotify(T &field, const T &value, Prop p) {
        if (field == value)
            return;
        field = value;
        Notify(p);
    }
    void Notify(Prop p) {
        if (peer_)
            peer_->Changed(*this, p);
    }

  private:
    std::string name_;
    bool visible_ = true;
    bool enabled_ = true;
    std::string tooltip_;
    Rect rect_;
    Font font_;
    std::string accessible_name_;
    Peer *peer_ = nullptr;
};

// A static text. Transparent labels draw over a picture behind them.
class Label : public Control {
  public:
    using Control::Control;
    const std::string &caption() const { return caption_; }
    void set_caption(const std::string &c) { SetAndNotify(caption_, c, Prop::Caption); }
    Align alignment = Align::Left;
    bool transparent = false;
    // 0xRRGGBB, or kNoColor: the system's text colour, which follows the
    // user's scheme (a designed black vanishes on a dark one).
    Color color = kNoColor;

  private:
    std::string caption_;
};

class Frame : public Label {
  public:
    using Label::Label;
};

class TextBox : public Control {
  public:
    using Control::Control;
    const std::string &text() const { return text_; }
    void set_text(const std::string &t) { SetAndNotify(text_, t, Prop::Text); }
    // Called by the peer when the user edits the box; no echo back to the peer.
    void TextFromUser(const std::string &t) { text_ = t; }
    Align alignment = Align::Left;
    bool locked = false; // read-only for the user
    bool multiline = false;
    int max_length = 0; // 0: no limit
    // A text wider than the box shows its end rather than its start: where a
    // running step's figures (percent, time left) stand.
    bool shows_end = false;

  private:
    std::string text_;
};

class Button : public Control {
  public:
    using Control::Control;
    const std::string &caption() const { return caption_; }
    void set_caption(const std::string &c) { SetAndNotify(caption_, c, Prop::Caption); }
    const Picture *picture = nullptr; // the program's own, lives as long as the program
    // Draw the caption as the play/pause/stop symbol font's glyph.
    bool symbol_font = false;
    std::function<void()> on_click;
    void Click() {
        if (on_click)
            on_click();
    }

  private:
    std::string caption_;
};

// Option buttons of one group: selecting one clears the others of its group.
class OptionButton : public Control {
  public:
    using Control::Control;
    const Picture *picture = nullptr; // the program's own, lives as long as the program
    int group = 0;
    bool value() const { return value_; }
    // Setting True runs the click handler, as a click would.
    void set_value(bool v);
    std::function<void()> on_click;
    // The peer reports a user click: select and run the handler.
    void Click() { set_value(true); }
    void JoinGroup(std::vector<OptionButton *> *members) { members_ = members; }

  private:
    bool value_ = false;
    std::vector<OptionButton *> *members_ = nullptr;
};

class PictureBox : public Control {
  public:
    using Control::Control;
    const Picture *picture = nullptr; // the program's own, lives as long as the program
};

// A line of the window's decoration, drawn between its two end points (twips).
class Line : public Control {
  public:
    using Control::Control;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

class Timer : public Control {
  public:
    using Control::Control;
    int interval_ms = 0;
    bool timer_enabled = true;
    std::function<void()> on_tick;
    void Tick() {
        if (on_tick)
            on_tick();
    }
};

// The drive list: entries as a user knows them, "e:" plus the label in brackets.
class DriveListBox : public Control {
  public:
    DriveListBox(std::string name, FileSystem &fs) : Control(std::move(name)), fs_(fs) {}
    // The current entry as displayed.
    std::string drive() const;
    // Selects the drive named by the first letter of `d`; throws FsError when
    // the drive is absent or not ready. Raises the change event when the
    // selection changes.
    void set_drive(const std::string &d);
    const std::vector<std::string> &items() const { return items_; }
    int list_index() const { return index_; }
    // The user picked entry i in the list.
    void SelectFromUser(int i);
    void Refresh();
    std::function<void()> on_change;

  private:
    FileSystem &fs_;
    std::vector<std::string> items_;
    int index_ = -1;
};

// The folder list: the path and its sub-folders.
class DirListBox : public Control {
  public:
    DirListBox(std::string name, FileSystem &fs) : Control(std::move(name)), fs_(fs) {}
    const std::string &path() const { return path_; }
    // A bare drive such as "e:" means that drive's root. Raises the change
    // event when the path changes; throws FsError when it cannot be listed.
    void set_path(const std::string &p);
    // Lines as shown: the folders leading to the path, then its sub-folders.
    const std::vector<std::string> &items() const { return items_; }
    // Rereads the folder; one deleted from outside gives way to the nearest
    // folder above it that is left on the drive (its root at the last).
    void Refresh();
    // The user opened entry i (a double click): changes the path, like
    // Refresh when that folder has gone; never fails.
    void OpenFromUser(int i);
    std::function<void()> on_change;
    std::function<void()> on_click;
    void Click() {
        if (on_click)
            on_click();
    }

  private:
    FileSystem &fs_;
    std::string path_;
    std::vector<std::string> items_;
    std::vector<std::string> item_paths_;
};

class FileListBox : public Control {
  public:
    FileListBox(std::string name, FileSystem &fs) : Control(std::move(name)), fs_(fs) {}
    const std::string &path() const { return path_; }
    void set_path(const std::string &p); // throws FsError when it cannot be listed
    const std::vector<std::string> &items() const { return items_; }
    std::string pattern = "*.*";
    void Refresh(); // like DirListBox::Refresh

  private:
    FileSystem &fs_;
    std::string path_;
    std::vector<std::string> items_;
};

} // namespace tf::ui

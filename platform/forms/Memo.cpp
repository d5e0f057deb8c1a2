#include "platform/forms/Memo.h"

#include <QPlainTextEdit>

#include "platform/forms/ByteText.h"

namespace {

// The lines of a memo, read from and written back to its text.
class MemoStrings : public TStrings {
public:
    explicit MemoStrings(TMemo* memo) : memo_(memo) {}

    int Count() const override { return static_cast<int>(Lines().size()); }
    std::string Strings(int index) const override {
        const auto lines = Lines();
        if (index < 0 || index >= static_cast<int>(lines.size()))
            return std::string();
        return lines[static_cast<size_t>(index)];
    }
    void SetStrings(int index, const std::string& text) override {
        auto lines = Lines();
        if (index < 0 || index >= static_cast<int>(lines.size()))
            return;
        lines[static_cast<size_t>(index)] = text;
        Store(lines);
    }
    void* Objects(int) const override { return nullptr; }
    void SetObjects(int, void*) override {}
    int AddObject(const std::string& text, void*) override {
        auto lines = Lines();
        lines.push_back(text);
        Store(lines);
        return static_cast<int>(lines.size()) - 1;
    }
    void Insert(int index, const std::string& text) override {
        auto lines = Lines();
        index = std::clamp(index, 0, static_cast<int>(lines.size()));
        lines.insert(lines.begin() + index, text);
        Store(lines);
    }
    void Delete(int index) override {
        auto lines = Lines();
        if (index < 0 || index >= static_cast<int>(lines.size()))
            return;
        lines.erase(lines.begin() + index);
        Store(lines);
    }
    void Clear() override { memo_->SetText(std::string()); }

private:
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        const std::string text = memo_->Text();
        size_t start = 0;
        while (start <= text.size()) {
            const size_t end = text.find("\r\n", start);
            if (end == std::string::npos) {
                // A text that ends with a line break has no empty last line.
                if (start < text.size())
                    lines.push_back(text.substr(start));
                break;
            }
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }
    void Store(const std::vector<std::string>& lines) {
        std::string text;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i > 0)
                text += "\r\n";
            text += lines[i];
        }
        memo_->SetText(text);
    }

    TMemo* memo_;
};

} // namespace

TMemo::TMemo(TComponent* owner)
    : TControl(owner), edit_(new QPlainTextEdit()), lines_(std::make_unique<MemoStrings>(this)) {
    edit_->setGeometry(0, 0, 185, 89);
    edit_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    SetWidget(edit_);
    SetColor(clWindow);
    SetWantTabs(false);
    SetScrollBars(ssNone);
    QObject::connect(edit_, &QPlainTextEdit::textChanged, [this] {
        if (OnChange)
            RunHandler([this] { OnChange(this); });
    });
}

TMemo::~TMemo() = default;

std::string TMemo::Text() const {
    const QString shown = edit_->toPlainText();
    if (shown == shownText_)
        return setBytes_;
    std::string typed = FromTypedText(shown);
    std::string text;
    text.reserve(typed.size());
    for (char c : typed) {
        if (c == '\n')
            text += "\r\n";
        else
            text += c;
    }
    return text;
}

void TMemo::SetText(const std::string& text) {
    setBytes_ = text;
    QString shown = ToDisplayText(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    shownText_ = shown;
    edit_->setPlainText(shown);
}

void TMemo::SetWantTabs(bool wantTabs) {
    wantTabs_ = wantTabs;
    edit_->setTabChangesFocus(!wantTabs);
}

void TMemo::SetScrollBars(TScrollStyle style) {
    scrollBars_ = style;
    const bool vertical = style == ssVertical || style == ssBoth;
    const bool horizontal = style == ssHorizontal || style == ssBoth;
    edit_->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    edit_->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    edit_->setLineWrapMode(horizontal ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
}

void TMemo::ColorChanged() {
    QPalette palette = edit_->palette();
    palette.setColor(QPalette::Base, ColorToQColor(Color()));
    edit_->setPalette(palette);
}

#include "settings/encoder_settings.h"

#include <climits>
#include <string>

namespace {

// The blanks that atoi skips.
bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

const QString kPositionWhenMissing = QStringLiteral("1");

} // namespace

int PositionFromText(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    // Accumulated as a magnitude that may reach one past INT_MAX (for INT_MIN); a hand-edited value
    // such as "99999999999" stops there instead of overflowing.
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long magnitude = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        magnitude = magnitude * 10 + (text[i].unicode() - u'0');
        if (magnitude > limit)
            return -1;
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

EncoderPositions LoadEncoderPositions(const IProfileStore& store) {
    EncoderPositions positions{};
    for (int i = 0; i < kEncoderListCount; ++i)
        positions[i] =
            PositionFromText(store.ReadString(kSettingsSection, kEncoderLists[i].key, kPositionWhenMissing));
    return positions;
}

ProfileWriteResult StoreEncoderPositions(IProfileStore& store, const EncoderPositions& positions) {
    for (int i = 0; i < kEncoderListCount; ++i) {
        ProfileWriteResult stored = store.WriteString(kSettingsSection, kEncoderLists[i].key,
                                                      QString::fromStdString(std::to_string(positions[i])));
        // The keys share one file: what stopped this write would stop the rest, each after its own
        // wait for a lock held elsewhere.
        if (!stored)
            return stored;
    }
    return ProfileWriteResult::Written();
}

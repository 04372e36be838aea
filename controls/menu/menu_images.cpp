#include "controls/menu/menu_images.h"

#include <algorithm>

QSize CSharedMenuImages::SizeFor(QSize offered) {
    if (m_list.imageSize.isEmpty())
        m_list.imageSize = offered;
    return m_list.imageSize;
}

int CSharedMenuImages::Find(unsigned commandId) const {
    const auto found = std::find(m_ids.begin(), m_ids.end(), commandId);
    return found == m_ids.end() ? -1 : static_cast<int>(found - m_ids.begin());
}

int CSharedMenuImages::Put(unsigned commandId, const std::vector<QImage>& images) {
    const int existing = Find(commandId);
    if (existing >= 0) {
        for (size_t i = 0, at = static_cast<size_t>(existing);
             i < images.size() && at < m_ids.size() && m_ids[at] == commandId; ++i, ++at)
            m_list.images[at] = images[i];
        return existing;
    }
    const int first = static_cast<int>(m_list.images.size());
    for (const QImage& image : images) {
        m_list.images.push_back(image);
        m_ids.push_back(commandId);
    }
    return first;
}

QImage CSharedMenuImages::At(int first, int shift) const {
    if (first < 0)
        return {};
    const auto start = static_cast<size_t>(first);
    const size_t index = start + static_cast<size_t>(shift);
    if (index >= m_list.images.size() || m_ids[index] != m_ids[start])
        return {};
    return m_list.images[index];
}

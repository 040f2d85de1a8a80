// The desktop's order of names: numbers by value ("a2" before "a10"), letter
// case ignored, the user's language deciding the rest.
#pragma once

#include <QCollator>
#include <QString>

class CFolderNameOrder {
public:
    CFolderNameOrder();

    // Whether `a` goes before `b`; names equal but for case keep one fixed order.
    bool operator()(const QString& a, const QString& b) const;

private:
    QCollator m_collator;
};

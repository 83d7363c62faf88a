#pragma once

#include <QString>

// The main toolbar as the link sees it: it only renames the connect button.
class ILinkToolbar
{
public:
    virtual ~ILinkToolbar() = default;

    virtual void setButtonCaption(const QString &key, const QString &sCaption) = 0;
};

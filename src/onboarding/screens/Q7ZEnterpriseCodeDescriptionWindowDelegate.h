#pragma once
// What the enterprise code description window asks of its owner.

class Q7ZEnterpriseCodeDescriptionWindow;

class Q7ZEnterpriseCodeDescriptionWindowDelegate {
public:
    virtual ~Q7ZEnterpriseCodeDescriptionWindowDelegate() = default;

    // The user is done with the window (close, apply or Escape): the owner closes and
    // releases it. The window never closes itself.
    virtual void enterpriseCodeDescriptionWindowWillClose(Q7ZEnterpriseCodeDescriptionWindow& window) = 0;
};

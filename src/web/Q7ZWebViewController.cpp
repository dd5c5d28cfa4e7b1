#include "web/Q7ZWebViewController.h"

Q7ZWebViewController::Q7ZWebViewController() : m_nameLabel(className()) {
    m_nameLabel.show();
}

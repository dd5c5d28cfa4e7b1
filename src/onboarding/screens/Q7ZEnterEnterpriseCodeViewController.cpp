#include "onboarding/screens/Q7ZEnterEnterpriseCodeViewController.h"

Q7ZEnterEnterpriseCodeViewController::Q7ZEnterEnterpriseCodeViewController() : m_nameLabel(className()) {
    m_nameLabel.show();
}

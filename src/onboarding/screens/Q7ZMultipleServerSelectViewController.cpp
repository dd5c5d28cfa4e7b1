#include "onboarding/screens/Q7ZMultipleServerSelectViewController.h"

Q7ZMultipleServerSelectViewController::Q7ZMultipleServerSelectViewController() : m_nameLabel(className()) {
    m_nameLabel.show();
}

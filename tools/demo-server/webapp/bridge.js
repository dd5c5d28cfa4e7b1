// The page's side of the desktop program's scripting bridge. The program publishes one object
// under three global names, each with the same eleven operations; in a plain browser none of
// the names exists, and every call then answers "bridge not available" instead of throwing.
'use strict';

const ParlorBridge = (() => {
  const NAMES = ['navigateObj', 'settingObj', 'noticeObj'];

  // argument: what the operation takes from the page ('callback', 'json', 'number' or none).
  const OPERATIONS = [
    { name: 'getEnterpriseInfo', argument: 'callback' },
    { name: 'noticeEvent' },
    { name: 'showNotice', argument: 'json' },
    { name: 'showIMNotice', argument: 'json' },
    { name: 'showInviteNotice', argument: 'json' },
    { name: 'openSettingWindow' },
    { name: 'navigateToLogoutPage' },
    { name: 'exitApplication' },
    { name: 'changeBadge', argument: 'number' },
    { name: 'getOSVersion', argument: 'callback' },
    { name: 'checkIsZoomInstalled', argument: 'callback' },
  ];

  const NOT_AVAILABLE = 'bridge not available';

  // Script text for a value as the page passes it: strings quoted, numbers bare.
  function describe(value) {
    return typeof value === 'function' ? 'callback' : JSON.stringify(value);
  }

  // Calls window[name][operation](argument) and tells report(text) what happened. For a
  // callback operation the argument is made here, and report hears the values it receives
  // (the program may answer inside the call or later). Never throws.
  function call(name, operation, argument, report) {
    const target = window[name];
    const label = `${name}.${operation}`;
    if (!target || typeof target[operation] !== 'function') {
      report(`${label}: ${NOT_AVAILABLE}`);
      return;
    }
    const entry = OPERATIONS.find((item) => item.name === operation) || {};
    let answered = false;
    if (entry.argument === 'callback') {
      argument = (...values) => {
        answered = true;
        report(`${label} → callback(${values.map(describe).join(', ')})`);
      };
    }
    try {
      if (entry.argument) target[operation](argument);
      else target[operation]();
    } catch (error) {
      report(`${label}: threw ${error}`);
      return;
    }
    if (entry.argument === 'json') report(`${label}(${argument}): called`);  // the text as sent, unescaped
    else if (entry.argument !== 'callback') report(`${label}(${entry.argument ? describe(argument) : ''}): called`);
    else if (!answered) report(`${label}: called, waiting for the callback`);
  }

  // Buttons marked data-bridge-call="name.operation" call it when clicked and show what
  // happened in the first <output> of their section (or of the page).
  function wireButtons(root) {
    for (const button of root.querySelectorAll('[data-bridge-call]')) {
      const [name, operation] = button.dataset.bridgeCall.split('.');
      const output = (button.closest('section, details') || root).querySelector('output');
      button.addEventListener('click', () => call(name, operation, undefined, (text) => { output.textContent = text; }));
    }
  }

  document.addEventListener('DOMContentLoaded', () => wireButtons(document));

  return { NAMES, OPERATIONS, NOT_AVAILABLE, call };
})();

// The demo panel: a control for everything a page may ask of the desktop program (each bridge
// operation through each of its three names, notices, badge values, windows, a meeting link,
// responses of several types, downloads, dialogs, file inputs, leaving the page, a subframe),
// each showing what came of it in its section's output line.
'use strict';

(() => {
  const byId = (id) => document.getElementById(id);
  const show = (outputId) => (text) => { byId(outputId).textContent = text; };

  function button(label, onClick, ariaLabel) {
    const node = document.createElement('button');
    node.type = 'button';
    node.className = 'small';
    node.textContent = label;
    if (ariaLabel) node.setAttribute('aria-label', ariaLabel);
    node.addEventListener('click', onClick);
    return node;
  }

  // ---- notices ----

  // Addresses on this server, with an apostrophe and a double quote in the notice's "Url" so
  // that whoever inserts it into script text has to quote it properly.
  const pageUrl = (query, origin = location.origin) => `${origin}/webapp/page.html?${query}`;

  const NOTICES = [
    { operation: 'showNotice', label: 'Notice with Url (kind 0)', notice: {
      Name: 'Company notice', Content: 'Friday\'s all-hands moves to 3 pm.',
      Url: pageUrl('title=Friday\'s "all-hands"') } },
    { operation: 'showNotice', label: 'Notice without Url (kind 0)', notice: {
      Name: 'Maintenance', Content: 'The server restarts tonight at 22:00.', Url: '' } },
    { operation: 'showIMNotice', label: 'Message in a room (kind 1)', notice: {
      Name: 'Ann O\'Neil', Content: 'Can we meet at 3? I\'ll bring the slides.',
      ChatRoomName: 'Sales', ChannelType: 1, ID: '42' } },
    { operation: 'showIMNotice', label: 'Direct message (kind 1)', notice: {
      Name: 'Bob Chen', Content: 'Sent you the contract.', ChatRoomName: '', ChannelType: 2, ID: 'bob' } },
    { operation: 'showInviteNotice', label: 'Invitation (kind 2)', notice: {
      Name: 'Meeting invitation', Content: 'Dana invited you to "Q3 planning".', ID: '7' } },
  ];

  // The log a sent notice of this operation belongs to in the app, if any.
  const LOG_OF = { showNotice: 'notices', showInviteNotice: 'invitations' };

  function sendNotice(name, operation, jsonText, report) {
    ParlorBridge.call(name, operation, jsonText, report);
    try {
      if (LOG_OF[operation]) ParlorApp.recordNotice(LOG_OF[operation], JSON.parse(jsonText));
    } catch (error) {
      // Not JSON: sent anyway, to see the program ignore it; nothing to record.
    }
  }

  function buildNoticeEditors() {
    const container = byId('notice-editors');
    for (const item of NOTICES) {
      const editor = document.createElement('textarea');
      editor.className = 'json-editor';
      editor.spellcheck = false;
      editor.value = JSON.stringify(item.notice, null, 1);
      editor.rows = editor.value.split('\n').length;
      item.editor = editor;
      const heading = document.createElement('div');
      heading.className = 'editor-heading';
      heading.append(item.label, button(`noticeObj.${item.operation}`,
        () => sendNotice('noticeObj', item.operation, editor.value, show('notice-output'))));
      container.append(heading, editor);
    }
  }

  // ---- bridge operations ----

  // The argument the table sends: the first notice editor of the operation, or badge 5.
  function argumentFor(operation) {
    if (operation.argument === 'json') return NOTICES.find((item) => item.operation === operation.name).editor.value;
    if (operation.argument === 'number') return 5;
    return undefined;
  }

  function buildBridgeTable() {
    const headRow = document.querySelector('.bridge-table thead tr');
    for (const name of ParlorBridge.NAMES) {
      const cell = document.createElement('th');
      cell.textContent = name;
      headRow.append(cell);
    }
    const rows = byId('bridge-rows');
    for (const operation of ParlorBridge.OPERATIONS) {
      const row = document.createElement('tr');
      const title = document.createElement('td');
      title.innerHTML = `<code>${operation.name}</code>`;
      row.append(title);
      for (const name of ParlorBridge.NAMES) {
        const cell = document.createElement('td');
        cell.append(button('call', () => {
          const argument = argumentFor(operation);
          if (operation.argument === 'json') sendNotice(name, operation.name, argument, show('bridge-output'));
          else ParlorBridge.call(name, operation.name, argument, show('bridge-output'));
        }, `${name}.${operation.name}`));
        row.append(cell);
      }
      rows.append(row);
    }
  }

  // ---- badge ----

  function buildBadgeButtons() {
    // Numbers above 0 show a badge; 0, negatives and strings (even "5") clear it.
    for (const value of [5, 0, -1, 'x', '5']) {
      byId('badge-buttons').append(button(JSON.stringify(value),
        () => ParlorBridge.call('noticeObj', 'changeBadge', value, show('badge-output')), `changeBadge(${JSON.stringify(value)})`));
    }
  }

  // ---- windows and links ----

  // The same server under its other name: a different host for the program's new-window check.
  function otherHostOrigin() {
    const otherName = location.hostname === 'localhost' ? '127.0.0.1' : 'localhost';
    return `${location.protocol}//${otherName}${location.port ? ':' + location.port : ''}`;
  }

  function openWindow(url) {
    const opened = window.open(url);
    show('windows-output')(`window.open(${JSON.stringify(url)}) → ${opened ? 'a window' : 'null'}`);
  }

  function wireWindows() {
    byId('open-same-host').addEventListener('click', () => openWindow(pageUrl('opened=same-host')));
    byId('open-other-host').addEventListener('click',
      () => openWindow(pageUrl('opened=other-host', otherHostOrigin())));
    byId('open-zoom').addEventListener('click', () => openWindow(byId('zoom-link').href));
    byId('zoom-link').addEventListener('click', () => show('windows-output')('followed the zoommtg:// link'));
  }

  // ---- page features ----

  function wirePageFeatures() {
    byId('misspelled-draft').addEventListener('click', () => {
      const composer = byId('composer-text');
      composer.focus();
      composer.select();
      document.execCommand('insertText', false, 'Helo, I wil send teh slides tomorow. ');
    });
    byId('print-page').addEventListener('click', () => window.print());
    // The Web Notification API; the same tag replaces the previous one.
    byId('new-notification').addEventListener('click', () => {
      Notification.requestPermission().then((permission) => {
        show('features-output')(`Notification.permission: ${permission}`);
        if (permission !== 'granted') return;
        const sent = new Date().toTimeString().slice(0, 5);
        const notification = new Notification('Ann O\'Neil', { body: `Lunch at one? (${sent})`, tag: 'demo' });
        notification.onclick = () => show('features-output')('the notification was clicked');
        notification.onclose = () => show('features-output')('the notification was closed');
      });
    });
    // Asks for the camera and the microphone (the microphone alone without a camera), and lets
    // them go at once.
    const report = (stream) => {
      show('features-output')(`call: ${stream.getTracks().map((track) => track.kind).join(' and ')}`);
      stream.getTracks().forEach((track) => track.stop());
    };
    const failed = (error) => show('features-output')(`call: ${error.name}`);
    byId('start-call').addEventListener('click', () => {
      navigator.mediaDevices.getUserMedia({ audio: true, video: true }).then(report, (error) => {
        if (error.name === 'NotAllowedError') return failed(error);
        return navigator.mediaDevices.getUserMedia({ audio: true }).then(report, failed);
      });
    });
  }

  // ---- another site ----

  // The page is served only by a server run with its test routes.
  function wireOtherSite() {
    const address = `${otherHostOrigin()}/test/hostile.html`;
    fetch('/test/hostile.html', { method: 'HEAD' }).then((answer) => { byId('other-site-section').hidden = !answer.ok; },
      () => {});
    byId('other-site-frame').addEventListener('click', () => { byId('sample-frame').src = address; });
    byId('other-site-window').addEventListener('click', () => openWindow(address));
    window.addEventListener('message', (event) => {
      if (event.data && event.data.hostileReport) show('other-site-output')(JSON.stringify(event.data.hostileReport));
    });
  }

  // ---- responses ----

  function buildResponseLinks() {
    for (const type of ['html', 'xml', 'json', 'png', 'pdf', 'zip']) {
      const url = `/samples/sample.${type}`;
      const item = document.createElement('li');
      item.innerHTML = `<code>sample.${type}</code> <a href="${url}" target="sample-frame">here</a>` +
        ` <a href="${url}" target="_blank">window</a>`;
      byId('response-links').append(item);
    }
  }

  // ---- downloads ----

  // Plain links: following one is a navigation, so the program's response policy decides.
  const DOWNLOADS = [
    ['report.pdf', 'a PDF named by its address'],
    ['plain', 'ShowName "Quarterly report.pdf"'],
    ['encoded-once', 'ShowName "Meeting files 會議.zip", encoded once'],
    ['encoded-twice', 'the same ShowName, encoded twice'],
    ['disposition', 'Content-Disposition "notes.txt"'],
    [`named?name=${encodeURIComponent('../../.bashrc')}`, 'unsafe ShowName, stays in the folder'],
    [`named?name=${encodeURIComponent('/etc/x')}`, 'absolute ShowName, stays in the folder'],
    ['missing', '404: a failed row, no file'],
    ['large?mib=1024', '1 GiB, as fast as loopback allows'],
    ['slow', '1 MiB in about 13 s, time to cancel it'],
  ];

  function buildDownloadLinks() {
    for (const [route, note] of DOWNLOADS) {
      const link = document.createElement('a');
      link.href = `/downloads/${route}`;
      const code = document.createElement('code');
      code.textContent = decodeURIComponent(route);
      link.append(code);
      const description = document.createElement('span');
      description.className = 'note';
      description.textContent = note;
      const item = document.createElement('li');
      item.append(link, description);
      byId('download-links').append(item);
    }
  }

  // ---- dialogs, files, leaving ----

  function wireDialogs() {
    const report = show('dialog-output');
    byId('dialog-alert').addEventListener('click', () => {
      alert('A message from the page, with an apostrophe: it\'s here.');
      report('alert closed');
    });
    byId('dialog-confirm').addEventListener('click', () => report(`confirm → ${confirm('Delete the draft?')}`));
    byId('dialog-prompt').addEventListener('click',
      () => report(`prompt → ${JSON.stringify(prompt('Your display name?', 'Ann O\'Neil'))}`));
  }

  function wireFileInputs() {
    for (const id of ['file-single', 'file-multiple']) {
      byId(id).addEventListener('change', (event) => {
        const names = Array.from(event.target.files, (file) => file.name);
        show('file-output')(`${id}: ${names.length ? names.join(', ') : '(none)'}`);
      });
    }
  }

  function holdOnLeaving(event) {
    event.preventDefault();
    event.returnValue = '';  // older engines ask for a value as well
  }

  function wireLeaving() {
    const report = show('unload-output');
    byId('before-unload').addEventListener('change', (event) => {
      if (event.target.checked) window.addEventListener('beforeunload', holdOnLeaving);
      else window.removeEventListener('beforeunload', holdOnLeaving);
      report(`before-unload handler ${event.target.checked ? 'on' : 'off'}`);
    });
    byId('reload-page').addEventListener('click', () => location.reload());
  }

  function wirePanelToggle() {
    const panel = byId('demo-panel');
    const toggle = byId('panel-toggle');
    const setOpen = (open) => {
      panel.hidden = !open;
      toggle.setAttribute('aria-expanded', String(open));
    };
    toggle.addEventListener('click', () => setOpen(panel.hidden));
    // "#demo-panel" opens the panel; the id of one of its groups opens that group as well.
    const target = document.getElementById(location.hash.slice(1));
    const group = target && target.matches('#demo-panel > details') ? target : null;
    setOpen(location.hash === '#demo-panel' || group !== null);
    if (group) {
      group.open = true;
      group.scrollIntoView();
    }
  }

  document.addEventListener('DOMContentLoaded', () => {
    buildNoticeEditors();
    buildBridgeTable();
    buildBadgeButtons();
    buildResponseLinks();
    buildDownloadLinks();
    wireWindows();
    wirePageFeatures();
    wireOtherSite();
    wireDialogs();
    wireFileInputs();
    wireLeaving();
    byId('reset-frame').addEventListener('click', () => { byId('sample-frame').src = '/webapp/page.html'; });
    wirePanelToggle();
  });
})();

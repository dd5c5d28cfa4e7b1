// The sample organisation web app: a conversation list, the open conversation's messages and a
// composer, all in memory. It also defines parlorMain, the page object whose functions the
// desktop program calls; each call is logged in the demo panel's "Calls received" list, shown
// briefly as a toast, and acted on as a real app would.
'use strict';

const ParlorApp = (() => {
  // The app's own texts in the three languages the program offers; anything else is English.
  const LANGUAGES = ['en-US', 'zh-TW', 'zh-CN'];
  const TEXTS = {
    conversations: ['Conversations', '對話', '会话'],
    search: ['Search', '搜尋', '搜索'],
    typeMessage: ['Type a message', '輸入訊息', '输入消息'],
    send: ['Send', '傳送', '发送'],
    demoPanel: ['Demo panel', '示範面板', '演示面板'],
    language: ['Language', '語言', '语言'],
    notices: ['Notices', '公告', '公告'],
    invitations: ['Invitations', '邀請', '邀请'],
    windowActive: ['Window active', '視窗在前景', '窗口在前台'],
    windowInactive: ['Window in background', '視窗在背景', '窗口在后台'],
    windowUnknown: ['Window state not reported yet', '尚未回報視窗狀態', '尚未报告窗口状态'],
    signedOut: ['You have signed out.', '您已登出。', '您已退出登录。'],
    signInAgain: ['Sign in again', '重新登入', '重新登录'],
    members: ['members', '位成員', '位成员'],
    direct: ['Direct message', '私訊', '私信'],
    emptyLog: ['Nothing here yet.', '目前沒有內容。', '暂无内容。'],
    openedFromNotice: ['Opened from a desktop notification.', '由桌面通知開啟。', '由桌面通知打开。'],
  };

  // channelType 1 is a chat room, found by its room ID; other types are people, found by theirs.
  // The two logs are the pages that notice and invitation clicks open.
  const conversations = [
    { id: '42', channelType: 1, name: 'Sales', memberCount: 8, messages: [
      { from: 'Ann O\'Neil', time: '09:12', text: 'Morning all! The new price list is in the shared folder.' },
      { from: 'Bob Chen', time: '09:15', text: 'Thanks Ann. Are the regional discounts in it too?' },
      { from: 'Ann O\'Neil', time: '09:16', text: 'Yes, on the second sheet.' },
    ] },
    { id: '7', channelType: 1, name: 'Q3 planning', memberCount: 5, messages: [
      { from: 'Dana Wu', time: 'Mon', text: 'Draft agenda for Thursday is up. Comments welcome.' },
    ] },
    { id: 'ann', channelType: 2, name: 'Ann O\'Neil', messages: [
      { from: 'Ann O\'Neil', time: '08:50', text: 'Can we meet at 3? I\'ll bring the slides.' },
      { from: 'me', time: '08:52', text: 'Sure, room 4B.' },
    ] },
    { id: 'bob', channelType: 2, name: 'Bob Chen', messages: [
      { from: 'Bob Chen', time: 'Tue', text: 'Sent you the contract, please have a look.' },
    ] },
    { id: 'notices', log: 'notices', messages: [
      { from: 'Velloq Parlor', time: 'Mon', text: 'Scheduled maintenance on Saturday, 22:00 to 23:00.' },
    ] },
    { id: 'invitations', log: 'invitations', messages: [] },
  ];

  let language = LANGUAGES.includes(document.documentElement.lang) ? document.documentElement.lang : 'en-US';
  let current = conversations[0];
  let windowActive = null;
  let receivedCount = 0;

  const byId = (id) => document.getElementById(id);
  const text = (key) => TEXTS[key][LANGUAGES.indexOf(language)];
  const titleOf = (conversation) => (conversation.log ? text(conversation.log) : conversation.name);
  const clockTime = () => new Date().toTimeString().slice(0, 8);
  const shortTime = () => clockTime().slice(0, 5);

  function element(tag, className, content) {
    const node = document.createElement(tag);
    if (className) node.className = className;
    if (content !== undefined) node.textContent = content;
    return node;
  }

  // Two letters for an avatar: "Ann O'Neil" → "AO", "Sales" → "SA".
  function initials(name) {
    const words = name.split(/\s+/).filter(Boolean);
    return (words.length > 1 ? words[0][0] + words[1][0] : name.slice(0, 2)).toUpperCase();
  }

  // ---- rendering ----

  function renderTexts() {
    document.documentElement.lang = language;
    for (const node of document.querySelectorAll('[data-text]')) node.textContent = text(node.dataset.text);
    for (const node of document.querySelectorAll('[data-placeholder]')) node.placeholder = text(node.dataset.placeholder);
    byId('language-code').textContent = language;
    renderWindowState();
    renderConversationList();
    renderConversation();
  }

  function renderWindowState() {
    const state = byId('window-state');
    state.dataset.active = windowActive === null ? 'unknown' : String(windowActive);
    byId('window-state-text').textContent =
      text(windowActive === null ? 'windowUnknown' : windowActive ? 'windowActive' : 'windowInactive');
  }

  function renderConversationList() {
    const filter = byId('search').value.trim().toLowerCase();
    const list = byId('conversation-list');
    list.replaceChildren();
    for (const conversation of conversations) {
      if (filter && !titleOf(conversation).toLowerCase().includes(filter)) continue;
      const last = conversation.messages[conversation.messages.length - 1];
      const item = element('li', 'conversation-item' + (conversation === current ? ' selected' : ''));
      item.append(element('span', 'avatar' + (conversation.log ? ' log' : ''), initials(titleOf(conversation))));
      const summary = element('div', 'item-summary');
      summary.append(element('span', 'item-title', titleOf(conversation)),
        element('span', 'item-preview', last ? last.text : text('emptyLog')));
      item.append(summary);
      if (conversation.unread) item.append(element('span', 'count', String(conversation.unread)));
      item.tabIndex = 0;
      item.addEventListener('click', () => select(conversation));
      item.addEventListener('keydown', (event) => { if (event.key === 'Enter') select(conversation); });
      list.append(item);
    }
  }

  function renderConversation() {
    const conversation = current;
    byId('conversation-title').textContent = titleOf(conversation);
    byId('conversation-avatar').textContent = initials(titleOf(conversation));
    byId('conversation-subtitle').textContent = conversation.log ? '' :
      conversation.channelType === 1 ? `${conversation.memberCount} ${text('members')}` : text('direct');
    byId('composer').hidden = Boolean(conversation.log);
    const list = byId('message-list');
    list.replaceChildren();
    if (conversation.messages.length === 0) list.append(element('li', 'empty', text('emptyLog')));
    for (const message of conversation.messages) {
      const mine = message.from === 'me';
      const item = element('li', 'message' + (mine ? ' mine' : ''));
      if (!mine) item.append(element('span', 'message-author', message.from));
      item.append(element('p', 'message-text', message.text), element('time', 'message-time', message.time));
      list.append(item);
    }
    list.scrollTop = list.scrollHeight;
  }

  function select(conversation) {
    current = conversation;
    conversation.unread = 0;
    renderConversationList();
    renderConversation();
  }

  function send(messageText) {
    current.messages.push({ from: 'me', time: shortTime(), text: messageText });
    renderConversationList();
    renderConversation();
  }

  // The conversation a notification click names, made up when the app does not know it yet.
  function conversationFor(channelType, id) {
    let conversation = conversations.find((item) => !item.log && item.id === id &&
      (item.channelType === 1) === (channelType === 1));
    if (!conversation) {
      conversation = { id, channelType, name: `Conversation ${id}`, memberCount: 2, messages: [] };
      conversations.splice(conversations.length - 2, 0, conversation);
    }
    return conversation;
  }

  // ---- what the program's calls leave on screen ----

  // A call that comes while the page still loads is shown once the log exists.
  function logCall(call, effect) {
    const time = clockTime();
    whenReady(() => showCall(time, call, effect));
  }

  function showCall(time, call, effect) {
    const item = element('li', 'call');
    item.append(element('time', 'call-time', time), element('code', 'call-text', call));
    if (effect) item.append(element('span', 'call-effect', effect));
    byId('calls-log').prepend(item);
    setReceivedCount(receivedCount + 1);
    toast(call);
  }

  // The number on the panel's button: calls received since the log was last cleared.
  function setReceivedCount(count) {
    receivedCount = count;
    byId('calls-count').textContent = String(count);
    byId('calls-count').hidden = count === 0;
  }

  function toast(message) {
    const node = element('div', 'toast', message);
    byId('toasts').append(node);
    setTimeout(() => node.remove(), 4000);
  }

  // The single-quoted form the program writes its string arguments in.
  const quoted = (value) => `'${value}'`;

  // The page object the desktop program calls into.
  const parlorMain = {
    // The main window came to the front (true) or left it (false).
    setActiveForm(active) {
      windowActive = active === true || active === 'true';
      logCall(`parlorMain.setActiveForm(${active})`, windowActive ? 'shown as active' : 'shown as in background');
      whenReady(renderWindowState);
    },
    // The user changed the language or the server; the program restarts right after.
    setSessionLocale(locale) {
      logCall(`parlorMain.setSessionLocale(${quoted(locale)})`,
        LANGUAGES.includes(locale) ? `texts now in ${locale}` : 'unknown language, texts unchanged');
      if (LANGUAGES.includes(locale)) {
        language = locale;
        whenReady(renderTexts);
      }
    },
    // The user confirmed logging out in the program.
    logout() {
      logCall('parlorMain.logout()', 'signed out');
      whenReady(() => { byId('signed-out').hidden = false; });
    },
    // A general notice without an address was clicked.
    openNoticeLog() {
      logCall('parlorMain.openNoticeLog()', 'opened the notices');
      whenReady(() => select(conversations.find((item) => item.log === 'notices')));
    },
    // An instant-message notice was clicked: a room's ID comes third, a person's second.
    initMessageList(channelType, id, roomId) {
      const wanted = Number(channelType) === 1 ? roomId : id;
      logCall(`parlorMain.initMessageList(${channelType},${quoted(id)},${quoted(roomId)})`,
        `opened conversation ${JSON.stringify(String(wanted))}`);
      whenReady(() => {
        const conversation = conversationFor(Number(channelType), String(wanted));
        if (conversation.messages.length === 0) {
          conversation.messages.push({ from: 'Velloq Parlor', time: shortTime(), text: text('openedFromNotice') });
        }
        select(conversation);
      });
    },
    // An invitation notice was clicked.
    openInviteLog() {
      logCall('parlorMain.openInviteLog()', 'opened the invitations');
      whenReady(() => select(conversations.find((item) => item.log === 'invitations')));
    },
  };

  function whenReady(action) {
    if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', action);
    else action();
  }

  // A notice the page sent through the bridge lands in its log, as the server would keep it.
  function recordNotice(log, notice) {
    const conversation = conversations.find((item) => item.log === log);
    conversation.messages.push({ from: notice.Name || '', time: shortTime(), text: notice.Content || '' });
    conversation.unread = (conversation.unread || 0) + 1;
    renderConversationList();
  }

  function start() {
    renderTexts();
    byId('search').addEventListener('input', renderConversationList);
    byId('composer').addEventListener('submit', (event) => {
      event.preventDefault();
      const field = byId('composer-text');
      if (field.value.trim()) send(field.value.trim());
      field.value = '';
    });
    byId('composer-text').addEventListener('keydown', (event) => {
      if (event.key === 'Enter' && !event.shiftKey) {
        event.preventDefault();
        byId('composer').requestSubmit();
      }
    });
    byId('clear-calls').addEventListener('click', () => {
      byId('calls-log').replaceChildren();
      setReceivedCount(0);
    });
    byId('sign-in-again').addEventListener('click', () => window.location.reload());
  }

  window.parlorMain = parlorMain;
  whenReady(start);  // first, so that every later DOMContentLoaded action finds the page built
  return { recordNotice };
})();

// The small page of this host that the app shows in its subframe and opens as a page window
// (also the address of the sample notice): it says which of the two it is, and shows its
// address and query.
'use strict';

document.addEventListener('DOMContentLoaded', () => {
  const inSubframe = window.parent !== window;
  document.getElementById('page-role').textContent = inSubframe ? 'Subframe' : 'Page window';
  document.getElementById('page-address').textContent = location.href;
  const query = document.getElementById('page-query');
  for (const [name, value] of new URLSearchParams(location.search)) {
    const term = document.createElement('dt');
    term.textContent = name;
    const detail = document.createElement('dd');
    detail.textContent = value;
    query.append(term, detail);
  }
  const close = document.getElementById('close-window');
  close.hidden = inSubframe;
  close.addEventListener('click', () => window.close());
});

'use strict';

// Catches link clicks and form submissions before the browser follows them,
// so that a file KEVA takes is never fetched by the browser, also a file it
// would show itself (a PDF, an MP3). The event is held while the extension
// asks KEVA_IE_BHO; when KEVA does not take the URL, the same click or
// submission is given to the page again and the browser goes on as usual.
(() => {
  const api = globalThis.browser ?? globalThis.chrome;

  // The element whose event is being given back to the page: let it through.
  let replaying = null;

  // The address as the page gave it. An absolute address goes as written
  // (letter case and all); a relative one only means something resolved
  // against the page, which the browser has done in `resolved`.
  function givenUrl(written, resolved) {
    const text = (written ?? '').trim();
    return /^[a-z][a-z0-9+.-]*:/i.test(text) ? text : resolved;
  }

  function fetchable(url) {
    return /^(https?|ftp):\/\//i.test(url);
  }

  async function takenByKeva(url, resolved) {
    try {
      const reply = await api.runtime.sendMessage({ url, resolved });
      return reply?.take === true;
    } catch (error) {
      return false; // the extension was reloaded or removed
    }
  }

  function replay(element, give) {
    replaying = element;
    try {
      give();
    } finally {
      replaying = null;
    }
  }

  function linkOf(event) {
    for (const node of event.composedPath()) {
      if (node instanceof Element && node.matches('a[href], area[href]')) return node;
    }
    return null;
  }

  addEventListener(
    'click',
    (event) => {
      if (event.button !== 0 || event.defaultPrevented) return;
      const link = linkOf(event);
      if (!link || link === replaying) return;
      const url = givenUrl(link.getAttribute('href'), link.href);
      if (!fetchable(url)) return;
      event.preventDefault();
      event.stopImmediatePropagation();
      takenByKeva(url, link.href).then((take) => {
        if (!take) replay(link, () => link.dispatchEvent(new MouseEvent('click', event)));
      });
    },
    true
  );

  addEventListener(
    'submit',
    (event) => {
      const form = event.target;
      if (!(form instanceof HTMLFormElement) || form === replaying || event.defaultPrevented) return;
      const submitter = event.submitter;
      const written = submitter?.getAttribute('formaction') ?? form.getAttribute('action');
      const resolved = submitter?.formAction || form.action;
      const url = givenUrl(written, resolved);
      if (!fetchable(url)) return;
      event.preventDefault();
      event.stopImmediatePropagation();
      takenByKeva(url, resolved).then((take) => {
        if (!take) replay(form, () => form.requestSubmit(submitter ?? undefined));
      });
    },
    true
  );
})();

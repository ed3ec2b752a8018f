// The INI's text box with its line numbers beside it, numbered as the plug-in counts lines (the
// box holds LF only: the browser turns CR LF and a lone CR into LF, so the lines stay the same).

export class Editor {
  constructor(textarea, gutter) {
    this.textarea = textarea;
    this.gutter = gutter;
    this.lines = 0;
    this.scrolled = false;
    textarea.addEventListener('scroll', () => {
      this.scrolled = true;
      gutter.scrollTop = textarea.scrollTop;
    });
    textarea.addEventListener('input', () => this.number());
  }

  get text() {
    return this.textarea.value;
  }

  // A new text starts at its top. The scroll positions are left alone while they are at the top
  // already: setting them makes the browser lay the page out there and then.
  set text(text) {
    this.textarea.value = text;
    if (this.scrolled) this.textarea.scrollTop = 0;
    this.scrolled = false;
    this.number();
  }

  number() {
    const lines = this.textarea.value.split('\n').length;
    if (lines === this.lines) return;
    this.lines = lines;
    this.gutter.textContent = Array.from({ length: lines }, (_, i) => i + 1).join('\n');
    if (this.scrolled) this.gutter.scrollTop = this.textarea.scrollTop;
  }

  // Selects line `number` (from 1) and scrolls it into the upper third of the box.
  selectLine(number) {
    const { textarea } = this;
    const text = textarea.value;
    let start = 0;
    for (let line = 1; line < number; line += 1) {
      const end = text.indexOf('\n', start);
      if (end < 0) return false;
      start = end + 1;
    }
    const end = text.indexOf('\n', start);
    textarea.focus({ preventScroll: true });
    textarea.setSelectionRange(start, end < 0 ? text.length : end);
    const height = parseFloat(getComputedStyle(textarea).lineHeight) || 18;
    this.scrolled = true;
    textarea.scrollTop = Math.max(0, (number - 1) * height - textarea.clientHeight / 3);
    textarea.scrollIntoView({ block: 'nearest' });
    return true;
  }

  // The bytes of a VornLoconaut.ini as Windows Notepad saves it: UTF-8 without a mark, CR LF.
  fileBytes() {
    return new TextEncoder().encode(this.textarea.value.replace(/\r\n|\r|\n/g, '\r\n'));
  }
}

// A box that takes dropped files or folders: outlined while something is dragged over it.
export function dropZone(element, onDrop) {
  element.addEventListener('dragover', (event) => {
    event.preventDefault();
    element.classList.add('over');
  });
  element.addEventListener('dragleave', () => element.classList.remove('over'));
  element.addEventListener('drop', (event) => {
    event.preventDefault();
    element.classList.remove('over');
    onDrop(event.dataTransfer);
  });
}

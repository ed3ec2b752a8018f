// Numbers as the page writes them: "12,345" and "0.125". Not toLocaleString: the first use of the
// browser's Intl costs a cold page 50 to 100 ms, which would hold up its first screen.
export function grouped(value) {
  const [whole, fraction] = String(Number(value.toFixed(3))).split('.');
  return whole.replace(/\B(?=(\d{3})+(?!\d))/g, ',') + (fraction ? `.${fraction}` : '');
}

// Hosted components: the rich-text, image display and blob reader controls.
